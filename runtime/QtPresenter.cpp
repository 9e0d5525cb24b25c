#include "runtime/Dialogs.h"
#include "runtime/PresenterSlot.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QThread>

#include <array>

// The runtime's widget part shows messages and dialogs as Qt windows.
namespace vrt {
namespace {

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Hand: return QMessageBox::Critical;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Turns "Text files|*.txt|All files|*.*" into Qt's ";;" form.
QString qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out.join(QStringLiteral(";;"));
}

// A window needs the GUI thread and a screen someone looks at. Elsewhere (a worker thread,
// the offscreen platform of a run without a display) a modal box would block for ever with
// nobody to answer it, or crash: the text goes to the error stream instead.
bool windowsCanBeShown()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

class QtPresenter final : public Presenter {
public:
    int message(const MessageArgs& a) override
    {
        if (!windowsCanBeShown()) {
            printInstead(a.text);
            return unansweredButton(a);
        }
        // '|' breaks a line in the runtime's message texts.
        QMessageBox box(qtIcon(a.icon), a.caption, QString(a.text).replace(QLatin1Char('|'), QLatin1Char('\n')));
        static const std::array<std::pair<int, QMessageBox::StandardButton>, 8> map{{
            {BUTTON_OK, QMessageBox::Ok}, {BUTTON_YES, QMessageBox::Yes},
            {BUTTON_NO, QMessageBox::No}, {BUTTON_ABORT, QMessageBox::Abort},
            {BUTTON_RETRY, QMessageBox::Retry}, {BUTTON_IGNORE, QMessageBox::Ignore},
            {BUTTON_CANCEL, QMessageBox::Cancel}, {BUTTON_HELP, QMessageBox::Help}}};
        const int mask = a.buttons ? a.buttons : BUTTON_OK;
        for (auto [ours, qt] : map) {
            if (mask & ours) {
                QAbstractButton* b = box.addButton(qt);
                if (a.defaultButton == ours)
                    box.setDefaultButton(static_cast<QPushButton*>(b));
            }
        }
        box.exec();
        const auto clicked = box.standardButton(box.clickedButton());
        for (auto [ours, qt] : map)
            if (qt == clicked)
                return ours;
        return a.defaultButton ? a.defaultButton : BUTTON_CANCEL;
    }
    bool stop(const QString& text) override
    {
        if (!windowsCanBeShown()) {
            printInstead(text);
            return true; // the window's own default
        }
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text);
        QPushButton* end = box.addButton(QStringLiteral("End program"), QMessageBox::DestructiveRole);
        QPushButton* goOn = box.addButton(QStringLiteral("Go on"), QMessageBox::AcceptRole);
        box.setDefaultButton(goOn);
        box.exec();
        return box.clickedButton() != end;
    }
    bool stopWindow(const QString& text, const std::function<bool()>& run) override
    {
        return windowsCanBeShown() ? run() : stop(text);
    }
    void halt(int, const QString& text) override
    {
        if (!text.isEmpty() && !windowsCanBeShown())
            printInstead(text);
        else if (!text.isEmpty())
            QMessageBox::critical(nullptr, QApplication::applicationName(), text);
    }
    bool colorDialog(const QString& title, QColor& colour) override
    {
        if (!windowsCanBeShown())
            return false;
        const QColor c = QColorDialog::getColor(colour, nullptr, title);
        if (!c.isValid())
            return false;
        colour = c;
        return true;
    }
    bool fileDialog(FileDialogArgs& a) override
    {
        if (!windowsCanBeShown())
            return false;
        QString chosen;
        if (a.flags & FILE_DIRECTORY)
            chosen = QFileDialog::getExistingDirectory(nullptr, a.title, a.file);
        else if (a.flags & FILE_SAVE)
            chosen = QFileDialog::getSaveFileName(nullptr, a.title, a.file, qtFilter(a.filter));
        else
            chosen = QFileDialog::getOpenFileName(nullptr, a.title, a.file, qtFilter(a.filter));
        if (chosen.isEmpty())
            return false;
        a.file = chosen;
        return true;
    }
    bool fontDialog(const QString& title, QFont& font) override
    {
        if (!windowsCanBeShown())
            return false;
        bool ok = false;
        const QFont f = QFontDialog::getFont(&ok, font, nullptr, title);
        if (ok)
            font = f;
        return ok;
    }
    bool printerDialog(const QString& title) override
    {
        if (!windowsCanBeShown())
            return false;
        QPrinter printer;
        QPrintDialog d(&printer);
        d.setWindowTitle(title);
        return d.exec() == QDialog::Accepted;
    }
};

// Loading the widget part makes its presenter the default one.
const bool g_registered = [] {
    setDefaultPresenterMaker(&makeQtPresenter);
    return true;
}();

} // namespace

std::unique_ptr<Presenter> makeQtPresenter()
{
    return std::make_unique<QtPresenter>();
}

} // namespace vrt
