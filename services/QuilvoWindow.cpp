// The translator's walk over a window's widgets.
#include "services/Quilvo.h"

#include "runtime/Text.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include <mutex>
#include <set>

namespace {

const QString kMarker = QStringLiteral(".`");
constexpr unsigned kText = 31744, kTip = 31904, kStatusTip = 31859;
constexpr int kFixedSizeType = 38;

// A widget keeps each text it was given in its source language beside the text shown, so a
// second translation (a language change) starts from the source again. A text the program
// has set since then is taken as the new source.
QString sourceOf(const QObject* o, const QByteArray& key, const QString& shown)
{
    const QStringList kept = o->property(QByteArray("qv:" + key).constData()).toStringList();
    return kept.size() == 2 && kept[1] == shown ? kept[0] : shown;
}

void keep(QObject* o, const QByteArray& key, const QString& source, const QString& shown)
{
    o->setProperty(QByteArray("qv:" + key).constData(), QStringList{source, shown});
}

template <class Translate>
QString retranslated(QObject* o, const QByteArray& key, const QString& shown, Translate tr)
{
    const QString source = sourceOf(o, key, shown);
    const QString out = tr(source);
    keep(o, key, source, out);
    return out;
}

// The text a control shows (property 31744); false for controls whose contents are data.
bool mainText(QWidget* w, QString* text)
{
    if (auto* l = qobject_cast<QLabel*>(w)) {
        *text = l->text();
        return true;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        *text = b->text();
        return true;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        *text = g->title();
        return true;
    }
    return false;
}

void setMainText(QWidget* w, const QString& text)
{
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
}

// The windows were laid out in Tahoma; Debian ships it with the Wine fonts, in a folder
// fontconfig does not search. Only the regular face is added: with Wine's bold face beside
// it no text is drawn bold (unread mail would look read), while Qt draws a good bold from
// the regular one.
void loadTahoma()
{
    static std::once_flag once;
    std::call_once(once, [] {
        if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
            return;
        const QString regular = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
        if (QFile::exists(regular))
            QFontDatabase::addApplicationFont(regular);
    });
}

bool isApplicationFrame(const QWidget* w)
{
    return w && (qobject_cast<const QMainWindow*>(w) || w->property("rtType").toInt() == 24);
}

// The action's tip, when it has one of its own (Qt derives one from the text otherwise).
bool ownToolTip(const QAction* a)
{
    QString plain = a->text();
    plain.remove(QLatin1Char('&'));
    return !a->toolTip().isEmpty() && a->toolTip() != plain && a->toolTip() != a->text();
}

// The widget or one of its parents below `window` translates its own texts.
bool ownTexts(const QWidget* w, const QWidget* window)
{
    for (; w && w != window; w = w->parentWidget())
        if (w->property(kOwnTexts).toBool())
            return true;
    return false;
}

void tellLanguageChanged(QWidget* window)
{
    QEvent changed(QUILVO::languageChangedEvent());
    QCoreApplication::sendEvent(window, &changed);
}

} // namespace

QEvent::Type QUILVO::languageChangedEvent()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

QString QUILVO::translateText(const QString& text)
{
    return QVSTR(USEBSUB() ? QVSUB(text) : text);
}

QString QUILVO::S_SR(const QString& text, const QString& search, const QString& replacement) const
{
    const QString s = vrt::clipTrailing(search);
    const QString r = vrt::clipTrailing(replacement);
    if (text.isEmpty() || s.isEmpty() || r == s)
        return text;
    // Any length: a long picture keeps its format instead of being wiped.
    QString out = text;
    const qsizetype at = out.indexOf(s);
    if (at >= 0)
        out.replace(at, s.size(), r);
    return vrt::clipTrailing(out);
}

void QUILVO::translateColumns(QWidget* list)
{
    // A list's column pictures and group headers ride on the list as properties, one entry
    // per column, until the list emulation has column descriptors of its own.
    auto tr = [this](const QString& s) { return translateText(s); };
    QStringList pictures = list->property("rtColumnPictures").toStringList();
    for (int c = 0; c < pictures.size(); ++c) {
        if (pictures[c].contains(kMarker))
            pictures[c] = vrt::clip(S_SR(pictures[c], kMarker, GROUPINGSYMBOL() + DECIMALSYMBOL()), 254);
        else if (!pictures[c].isEmpty())
            pictures[c] = retranslated(list, "picture" + QByteArray::number(c), pictures[c], tr);
    }
    if (!pictures.isEmpty())
        list->setProperty("rtColumnPictures", pictures);

    // A run of columns under one group header is looked up once, at its first column.
    QStringList groups = list->property("rtColumnGroups").toStringList();
    QString previousSource, previousShown;
    for (int c = 0; c < groups.size(); ++c) {
        if (groups[c].isEmpty())
            continue;
        const QByteArray key = "group" + QByteArray::number(c);
        const QString source = sourceOf(list, key, groups[c]);
        if (c == 0 || source != previousSource)
            previousShown = tr(source);
        previousSource = source;
        keep(list, key, source, previousShown);
        groups[c] = previousShown;
    }
    if (!groups.isEmpty())
        list->setProperty("rtColumnGroups", groups);
}

void QUILVO::TRANSLATECONTROL(QWidget* control) { QVCTL(control); }

void QUILVO::TRANSLATEWINDOW(QWidget* window) { QVWIN(window); }

void QUILVO::QVCTL(QWidget* w)
{
    if (STOPTRANSLATE() || !w)
        return;
    auto tr = [this](const QString& s) { return translateText(s); };

    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        // An entry's 31744 is its picture: only the regional symbols change.
        const QString picture = e->property("rtPicture").toString();
        if (picture.contains(kMarker))
            e->setProperty("rtPicture", vrt::clip(S_SR(picture, kMarker, GROUPINGSYMBOL() + DECIMALSYMBOL()), 254));
    }
    QString text;
    const bool hasText = mainText(w, &text);
    const QString clipped = vrt::clipTrailing(text);
    if (clipped == QLatin1String("n-14") || clipped == QLatin1String("SkinBut"))
        return;
    const bool image = qobject_cast<QLabel*>(w) && clipped.isEmpty();
    if (hasText && clipped.contains(kMarker)) {
        setMainText(w, vrt::clip(S_SR(clipped, kMarker, GROUPINGSYMBOL() + DECIMALSYMBOL()), 254));
        return;
    }
    if (hasText && !clipped.isEmpty() && !image) {
        const QString source = sourceOf(w, "text", text);
        const QString out = retranslated(w, "text", text, tr);
        setMainText(w, out);
        // A radio stores its untranslated text in its variable.
        if (qobject_cast<QRadioButton*>(w) && w->property("rtValue").toString().isEmpty() && out != source)
            w->setProperty("rtValue", source);
    }

    // A tab widget's own bar is reached through the widget; a bar standing alone is its own.
    auto* bar = qobject_cast<QTabBar*>(w);
    if (bar && qobject_cast<QTabWidget*>(bar->parentWidget()))
        bar = nullptr;
    if (auto* tabs = qobject_cast<QTabWidget*>(w))
        bar = tabs->tabBar();
    if (bar) {
        for (int i = 0; i < bar->count(); ++i) {
            if (!bar->tabText(i).isEmpty())
                bar->setTabText(i, retranslated(w, "tab" + QByteArray::number(i), bar->tabText(i), tr));
            if (!bar->tabToolTip(i).isEmpty())
                bar->setTabToolTip(i, retranslated(w, "tabtip" + QByteArray::number(i), bar->tabToolTip(i), tr));
        }
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
        QAbstractItemModel* m = view->model();
        for (int c = 0; c < m->columnCount(); ++c) {
            const QString header = m->headerData(c, Qt::Horizontal).toString();
            if (header.isEmpty())
                continue;
            const QString out = retranslated(view, "header" + QByteArray::number(c), header, [&](const QString& s) {
                QString t = tr(s);
                if (t.startsWith(QLatin1Char('&')))
                    t.remove(0, 1);
                return t;
            });
            m->setHeaderData(c, Qt::Horizontal, out);
        }
        translateColumns(view);
    }
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->count() > 1) {
        // The item list is one text "a|b|c", translated as a whole.
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        const QStringList out = retranslated(combo, "items", items.join(QLatin1Char('|')), tr).split(QLatin1Char('|'));
        if (out.size() == items.size())
            for (int i = 0; i < out.size(); ++i)
                combo->setItemText(i, out[i]);
    }
    if (!w->toolTip().isEmpty())
        w->setToolTip(retranslated(w, "tip", w->toolTip(), tr));
    if (!w->statusTip().isEmpty())
        w->setStatusTip(retranslated(w, "statustip", w->statusTip(), tr));
}

void QUILVO::QVWIN(QWidget* window)
{
    if (!window)
        window = QApplication::activeWindow();
    if (STOPTRANSLATE() || !window)
        return;
    auto tr = [this](const QString& s) { return translateText(s); };
    loadTahoma();
    if (!window->windowTitle().isEmpty())
        window->setWindowTitle(retranslated(window, "title", window->windowTitle(), tr));
    if (!window->toolTip().isEmpty())
        window->setToolTip(retranslated(window, "tip", window->toolTip(), tr));

    std::set<QAction*> actions;
    for (QAction* a : window->actions())
        actions.insert(a);
    for (QWidget* c : window->findChildren<QWidget*>()) {
        // A window of its own (a dialog parented here) is translated when it opens.
        if (c->isWindow() || ownTexts(c, window))
            continue;
        QVCTL(c);
        QFont f = c->font();
        f.setFamily(QStringLiteral("Tahoma"));
        if (c->property("rtType").toInt() == kFixedSizeType)
            f.setPointSize(9);
        c->setFont(f);
        if (qobject_cast<QLineEdit*>(c) || qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractSpinBox*>(c))
            c->setProperty("rt31252", 1);
        for (QAction* a : c->actions())
            actions.insert(a);
    }
    for (QAction* a : window->findChildren<QAction*>())
        if (!ownTexts(qobject_cast<QWidget*>(a->parent()), window))
            actions.insert(a);
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        const bool tip = ownToolTip(a);
        if (!a->text().isEmpty())
            a->setText(retranslated(a, "text", a->text(), tr));
        if (tip)
            a->setToolTip(retranslated(a, "tip", a->toolTip(), tr));
        if (!a->statusTip().isEmpty())
            a->setStatusTip(retranslated(a, "statustip", a->statusTip(), tr));
    }
    trackWindow(window);
}

void QUILVO::trackWindow(QWidget* window)
{
    m_windows.erase(std::remove_if(m_windows.begin(), m_windows.end(),
                                   [](const QPointer<QWidget>& w) { return w.isNull(); }),
                    m_windows.end());
    for (const auto& w : m_windows)
        if (w == window)
            return;
    m_windows.emplace_back(window);
}

void QUILVO::retranslateWindows()
{
    if (QWidget* frame = m_frameWindow) {
        QVDFC();
        QVWIN(frame);
        frame->setProperty("rt31322", REPOSPROMPTS() ? 1 : 0);
        tellLanguageChanged(frame);
        frame->update();
    }
    const auto windows = m_windows;
    for (const auto& w : windows)
        if (w && w != m_frameWindow) {
            QVWIN(w);
            tellLanguageChanged(w);
        }
}

QWidget* QUILVO::MAKETEXT(QWidget* control, QString* useVariable)
{
    auto* entry = qobject_cast<QLineEdit*>(control);
    const QString picture = control ? control->property("rtPicture").toString() : QString();
    if (!ENTRY2TEXT() || !entry || !control->property("rt31866").toString().isEmpty() || picture.size() < 2
        || picture[1].toUpper() != QLatin1Char('S'))
        return control;
    QWidget* parent = entry->parentWidget();
    auto* text = new QPlainTextEdit(entry->text(), parent);
    text->setObjectName(entry->objectName());
    text->setGeometry(entry->geometry());
    text->setToolTip(entry->toolTip());
    text->setStatusTip(entry->statusTip());
    text->setEnabled(entry->isEnabled());
    text->setReadOnly(entry->isReadOnly());
    text->setFont(entry->font());
    for (const QByteArray& name : entry->dynamicPropertyNames())
        text->setProperty(name.constData(), entry->property(name.constData()));
    text->setProperty("rt31238", 1);
    if (useVariable)
        QObject::connect(text, &QPlainTextEdit::textChanged, text, [text, useVariable] { *useVariable = text->toPlainText(); });
    if (parent && parent->layout())
        delete parent->layout()->replaceWidget(entry, text);
    const bool hidden = entry->isHidden();
    delete entry;
    text->setHidden(hidden);
    text->update();
    return text;
}

void QUILVO::REPOSITION(QWidget* control)
{
    if (control && REPOSPROMPTS() && ENTRY2TEXT() && !control->property("rt31752").toString().isEmpty())
        control->setProperty("rt31756", 1);
}

void QUILVO::REVFORMAT(QWidget* control)
{
    if (!control || !REVERSEFORMAT() || !(qobject_cast<QAbstractItemView*>(control) || qobject_cast<QComboBox*>(control)))
        return;
    if (control->property("rt32272").toBool())
        control->setProperty("rt32274", 1);
    if (control->property("rt32280").toBool())
        control->setProperty("rt32282", 1);
}

void QUILVO::QVFRQ(QWidget* frame)
{
    QWidget* w = frame ? frame : m_frameWindow ? m_frameWindow.data() : QApplication::activeWindow();
    if (m_frameFlag || !isApplicationFrame(w))
        return;
    m_frameFlag = true;
    if (!m_frameWindow)
        m_frameWindow = w;
    m_frameQ.clear();
    m_frameQ.push_back({w, kText, w->windowTitle()});
    for (QWidget* c : w->findChildren<QWidget*>()) {
        if (c->isWindow() || ownTexts(c, w))
            continue;
        QString text;
        if (mainText(c, &text))
            m_frameQ.push_back({c, kText, text});
        m_frameQ.push_back({c, kTip, c->toolTip()});
        m_frameQ.push_back({c, kStatusTip, c->statusTip()});
    }
}

void QUILVO::QVDFC()
{
    QWidget* frame = m_frameWindow;
    if (!frame)
        return;
    for (const FrameText& f : m_frameQ) {
        auto* w = qobject_cast<QWidget*>(f.control.data());
        if (!w)
            continue;
        if (w == frame && f.prop == kText)
            w->setWindowTitle(f.value);
        else if (f.prop == kText)
            setMainText(w, f.value);
        else if (f.prop == kTip)
            w->setToolTip(f.value);
        else if (f.prop == kStatusTip)
            w->setStatusTip(f.value);
    }
}
