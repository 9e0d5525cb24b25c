#include "procedures/notes/NotesForm.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

#include "data/Globals.h"
#include "data/TableManagers.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/FileBrowse.h"
#include "runtime/UpdateDialog.h"
#include "runtime/WindowManager.h"
#include "chrome/WindowPainter.h"

namespace notespass {

namespace {

const QString kDateFormat = QStringLiteral("d.M.yyyy");
const QString kTimeFormat = QStringLiteral("H:mm");

// Refuses a date or time the entries cannot store, instead of storing none.
class NoteDialog : public vrt::UpdateDialog {
public:
    NoteDialog(vrt::UpdateFormController& c, const FormEnv& env) : vrt::UpdateDialog(c, QStringLiteral("Update Records..."), env.parent), m_env(env) {}
    void accept() override
    {
        if (QLineEdit* d = entry(QStringLiteral("NOTE:DATUM")); d && !d->isReadOnly() && noteDateFrom(d->text()) < 0) {
            say(m_env, QStringLiteral("Datum nije ispravan."), int(vrt::Icon::Exclamation));
            d->setFocus();
            return;
        }
        if (QLineEdit* t = entry(QStringLiteral("NOTE:VRIJEME")); t && !t->isReadOnly() && noteTimeFrom(t->text()) < 0) {
            say(m_env, QStringLiteral("Vrijeme nije ispravno."), int(vrt::Icon::Exclamation));
            t->setFocus();
            return;
        }
        vrt::UpdateDialog::accept();
    }

private:
    const FormEnv& m_env;
};

} // namespace

QString noteDateText(int day) { return day > 0 ? vrt::dateFromDay(day).toString(kDateFormat) : QString(); }
QString noteTimeText(int time) { return time > 0 ? vrt::qtimeFromTime(time).toString(kTimeFormat) : QString(); }

int noteDateFrom(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    QDate d = QDate::fromString(t, kDateFormat);
    if (!d.isValid())
        d = QDate::fromString(t, Qt::ISODate);
    return d.isValid() ? vrt::dayFromDate(d) : -1;
}

int noteTimeFrom(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return 0;
    for (const QString& f : {kTimeFormat, QStringLiteral("H:mm:ss")}) {
        const QTime time = QTime::fromString(t, f);
        if (time.isValid())
            return vrt::timeFromQTime(time);
    }
    return -1;
}

int F_Notes(const FormEnv& env)
{
    const int request = takeRequest();
    vrt::FileBrowseSource target(Access(Tbl::Notes), Relate(Tbl::Notes), {});
    vrt::UpdateFormController form(target, request, QStringLiteral("F_Notes"));
    prepare(form, env);
    int response = vrt::REQUEST_CANCELLED;
    if (request == vrt::DELETE_RECORD) {
        // No window opens for a delete; one question keeps a click from losing a note.
        const QString question = env.tr(QStringLiteral("Obrisati bilješku \"%1\"?"));
        if (askYes(env, QString(question).replace(QStringLiteral("%1"), QString::fromStdString(NOTE().NASLOV)))) {
            form.ok();
            response = form.response() == vrt::REQUEST_COMPLETED ? vrt::REQUEST_COMPLETED : vrt::REQUEST_CANCELLED;
        }
        GLOBALRESPONSE = uint8_t(response);
        return response;
    }
    auto text = [](std::string Notes_Rec::*f) { return [f] { return QString::fromStdString(NOTE().*f); }; };
    auto setText = [](std::string Notes_Rec::*f, int cap) {
        return [f, cap](const QString& v) { NOTE().*f = fitted(v, cap); };
    };
    form.setFields({
        {QStringLiteral("NOTE:ID"), env.tr(QStringLiteral("ID:")), [] { return QString::number(NOTE().ID); }, {}, true},
        {QStringLiteral("NOTE:KONTAKTID"), env.tr(QStringLiteral("Kontakt ID:")), [] { return QString::number(NOTE().KONTAKTID); },
         [](const QString& v) { NOTE().KONTAKTID = v.trimmed().toInt(); }},
        {QStringLiteral("NOTE:DATUM"), env.tr(QStringLiteral("Datum:")), [] { return noteDateText(NOTE().DATUM); },
         [](const QString& v) { NOTE().DATUM = std::max(0, noteDateFrom(v)); }},
        {QStringLiteral("NOTE:VRIJEME"), env.tr(QStringLiteral("Vrijeme:")), [] { return noteTimeText(NOTE().VRIJEME); },
         [](const QString& v) { NOTE().VRIJEME = std::max(0, noteTimeFrom(v)); }},
        {QStringLiteral("NOTE:NASLOV"), env.tr(QStringLiteral("Naslov:")), text(&Notes_Rec::NASLOV), setText(&Notes_Rec::NASLOV, 254)},
        {QStringLiteral("NOTE:OPIS"), env.tr(QStringLiteral("Opis:")), text(&Notes_Rec::OPIS), setText(&Notes_Rec::OPIS, 254)},
        {QStringLiteral("NOTE:NAPOMENA"), env.tr(QStringLiteral("Napomena:")), text(&Notes_Rec::NAPOMENA), setText(&Notes_Rec::NAPOMENA, 7999)},
    });
    NoteDialog dialog(form, env);
    dialog.setObjectName(QStringLiteral("F_Notes"));
    dialog.setCancelText(QStringLiteral("Cancel"));
    dialog.entry(QStringLiteral("NOTE:KONTAKTID"))->setValidator(new QIntValidator(0, 2147483647, &dialog));
    dialog.entry(QStringLiteral("NOTE:NASLOV"))->setMaxLength(254);
    dialog.entry(QStringLiteral("NOTE:OPIS"))->setMaxLength(254);
    dialog.entry(QStringLiteral("NOTE:NAPOMENA"))->setMaxLength(7999);
    dialog.setMinimumWidth(460);
    pxp::themeLibraryWindow(&dialog);
    response = dialog.run();
    GLOBALRESPONSE = uint8_t(response);
    return response;
}

} // namespace notespass
