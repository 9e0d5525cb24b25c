#include "services/StopWindow.h"

#include "runtime/IniFile.h"
#include "runtime/Paths.h"
#include "runtime/Text.h"
#include "services/Quilvo.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

namespace quilvo {

namespace {
const QString kSection = QStringLiteral("Pellorin");
}

StopActions& StopActions::program()
{
    struct Program : StopActions {
        bool launch(const QString& program, const QStringList& args) override
        {
            return QProcess::startDetached(program, args);
        }
        void endProgram(int code) override { vrt::requestQuit(code); }
    };
    static Program actions;
    return actions;
}

StopWindow::StopWindow(StopWindowSetup setup, StopActions& actions, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_actions(actions)
{
    setObjectName(QStringLiteral("P32$STOPWINDOW"));
    setWindowTitle(QApplication::applicationName());
    setModal(true);
    QFont f = font();
    f.setFamily(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    setFont(f);

    auto* heading = new QLabel(QStringLiteral("S T O P - Critical error"), this);
    heading->setObjectName(QStringLiteral("STRING1"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    auto* stopText = new QPlainTextEdit(m_setup.shown, this);
    stopText->setObjectName(QStringLiteral("STOPTEXT"));
    stopText->setReadOnly(true);

    auto* close = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Zatvori"), this);
    close->setObjectName(QStringLiteral("CLOSE"));

    auto* prompt = new QLabel(QStringLiteral(
        "Nastala je kritična greška koja onemogućava nastavak rada u programu. Ako kliknete na \"Otkloni\", "
        "program će sam probati otkloniti grešku. Ako kliknete na \"Prijavi\", program će opis greške i "
        "dodatni opis poslati nama (morate biti spojeni na internet i upisati dodatni opis). Ako pritisnete "
        "\"Zatvori\", program će se zatvoriti i potrebno ga je ponovno pokrenuti."), this);
    prompt->setObjectName(QStringLiteral("PROMPT2"));
    prompt->setWordWrap(true);

    auto* repairButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Otkloni"), this);
    repairButton->setObjectName(QStringLiteral("BOTKLONI"));
    auto* reportButton = new QPushButton(style()->standardIcon(QStyle::SP_MessageBoxWarning), QStringLiteral("Prijavi"), this);
    reportButton->setObjectName(QStringLiteral("BPRIJAVI"));

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("GROUP1"));
    m_description = new QPlainTextEdit(group);
    m_description->setObjectName(QStringLiteral("PRIJAVATEXT"));
    auto* descriptionLabel = new QLabel(QStringLiteral("Koraci koji su prethodili ovoj grešci - dodatni opis"), group);
    descriptionLabel->setObjectName(QStringLiteral("STRING1_2"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(descriptionLabel);
    groupLayout->addWidget(m_description);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(repairButton);
    buttons->addWidget(reportButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(stopText);
    layout->addWidget(prompt);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(520, 460);

    connect(repairButton, &QPushButton::clicked, this, &StopWindow::repair);
    connect(reportButton, &QPushButton::clicked, this, &StopWindow::report);
    connect(close, &QPushButton::clicked, this, &StopWindow::closeProgram);
}

QString StopWindow::oneLine(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    while (t.endsWith(QLatin1Char(' ')))
        t.chop(1);
    return t;
}

void StopWindow::markServer(const QString& value)
{
    // Without a configured share there is nowhere to write (not the root folder).
    if (m_setup.server.trimmed().isEmpty())
        return;
    vrt::IniFile(vrt::joinPath(m_setup.server, QStringLiteral("Global.ini")))
        .put(kSection, QStringLiteral("FilesInit"), value);
}

void StopWindow::launchHelper(const QString& argument)
{
    m_actions.launch(vrt::joinPath(m_setup.folder, QStringLiteral("Kelpart")), {argument});
}

void StopWindow::repair()
{
    markServer(QStringLiteral("2"));
    launchHelper(QStringLiteral("/UC"));
}

void StopWindow::report()
{
    markServer(QStringLiteral("3"));
    vrt::IniFile local(vrt::joinPath(m_setup.folder, QStringLiteral("Global.ini")));
    local.put(kSection, QStringLiteral("Prijava1"), oneLine(m_setup.message));
    local.put(kSection, QStringLiteral("Prijava2"), oneLine(m_description->toPlainText()));
    launchHelper(QStringLiteral("/R"));
}

void StopWindow::closeProgram()
{
    launchHelper(QStringLiteral("/Kill"));
    m_closeChosen = true;
    done(QDialog::Accepted);
}

void StopWindow::keyPressEvent(QKeyEvent* event)
{
    const bool esc = event->key() == Qt::Key_Escape;
    const bool f4 = event->key() == Qt::Key_F4 && (event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier));
    if (esc || f4) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void StopWindow::closeEvent(QCloseEvent* event)
{
    if (m_closeChosen)
        event->accept();
    else
        event->ignore();
}

void StopWindow::reject() {}

bool runStopWindow(QUILVO& translator, const StopWindowSetup& setup, StopActions& actions)
{
    StopWindow w(setup, actions);
    translator.TRANSLATEWINDOW(&w);
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    w.exec();
    return !w.closeChosen();
}

} // namespace quilvo

void QUILVO::STOP(const QString& text)
{
    quilvo::StopWindowSetup s;
    s.message = text;
    s.shown = QVSTR(text);
    s.folder = vrt::currentFolder();
    s.server = vrt::clip(vrt::clipTrailing(vrt::IniFile(vrt::joinPath(s.folder, QStringLiteral("Standard.ini")))
                                               .get(QStringLiteral("Pellorin"), QStringLiteral("Server"))),
                         999);
    auto run = [&] {
        // Windows live on the GUI thread; a worker that stops waits there for the answer.
        auto* app = QCoreApplication::instance();
        if (app && QThread::currentThread() != app->thread()) {
            bool goOn = true;
            QMetaObject::invokeMethod(app, [&] { goOn = quilvo::runStopWindow(*this, s, *m_stopActions); },
                                      Qt::BlockingQueuedConnection);
            return goOn;
        }
        return quilvo::runStopWindow(*this, s, *m_stopActions);
    };
    const bool goOn = vrt::presenter().stopWindow(s.shown, run);
    // The user was told the program closes: it does, whether the helper started or not.
    if (!goOn)
        m_stopActions->endProgram(1);
}
