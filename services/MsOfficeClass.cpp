#include "services/MsOfficeClass.h"

using office::toLong;

namespace {
constexpr int AnswerLimit = 8255;
constexpr int PrefixLimit = 255;
} // namespace

MSOFFICECLASS::MSOFFICECLASS() = default;
MSOFFICECLASS::~MSOFFICECLASS() = default;

void MSOFFICECLASS::setContainer(office::AutomationContainer* container)
{
    m_container = container;
}

office::AutomationContainer* MSOFFICECLASS::container() const
{
    return m_container ? m_container.data() : m_own.get();
}

office::AutomationContainer* MSOFFICECLASS::ensureContainer()
{
    if (m_container)
        return m_container.data();
    if (WINDOW)
        if (office::AutomationContainer* c = office::containerOf(WINDOW, CONTROL)) {
            m_container = c;
            return c;
        }
    if (!m_own)
        m_own = std::make_unique<office::ComponentContainer>();
    return m_own.get();
}

void MSOFFICECLASS::clearError()
{
    m_error.clear();
    m_lastFailed = false;
}

void MSOFFICECLASS::failWith(const QString& why)
{
    m_lastFailed = true;
    if (m_error.isEmpty())
        m_error = why;
}

void MSOFFICECLASS::noteResult(office::AutomationContainer* c)
{
    m_lastFailed = c->lastCallFailed();
    if (m_lastFailed && m_error.isEmpty())
        m_error = c->lastError();
}

void MSOFFICECLASS::SETPROPERTY(const QString& name, const QString& value)
{
    SETPROPERTY(name, QVariant(value));
}

void MSOFFICECLASS::SETPROPERTY(const QString& name, const QVariant& value)
{
    office::AutomationContainer* c = ensureContainer();
    c->write(SWITH + name, value);
    noteResult(c);
}

QString MSOFFICECLASS::GETPROPERTY(const QString& name)
{
    office::AutomationContainer* c = ensureContainer();
    QString answer = c->read(SWITH + name).left(AnswerLimit);
    noteResult(c);
    while (answer.endsWith(QLatin1Char(' ')))
        answer.chop(1);
    if (answer.compare(QLatin1String(office::NoInterface), Qt::CaseInsensitive) == 0) {
        failWith(QString::fromLatin1(office::NoInterface));
        return QStringLiteral("0");
    }
    return answer;
}

void MSOFFICECLASS::SENDCOMMAND(const QString& command)
{
    office::AutomationContainer* c = ensureContainer();
    c->read(SWITH + command);
    noteResult(c);
}

QString MSOFFICECLASS::readDirect(const QString& path)
{
    office::AutomationContainer* c = ensureContainer();
    const QString answer = c->read(path);
    noteResult(c);
    return answer;
}

void MSOFFICECLASS::WITH(const QString& prefix)
{
    QString p = prefix.left(PrefixLimit);
    while (p.endsWith(QLatin1Char(' ')))
        p.chop(1);
    SWITH = p;
}

void MSOFFICECLASS::ENDWITH() { SWITH.clear(); }

void MSOFFICECLASS::INIT(QWidget* window, long control, uint8_t start, uint8_t activate, uint8_t visible)
{
    WINDOW = window;
    CONTROL = control;
    if (start && !ISRUNNING())
        START();
    if (activate)
        ACTIVATE();
    SETVISIBLE(visible);
}

void MSOFFICECLASS::setProgramId(const QString& progId)
{
    office::AutomationContainer* c = ensureContainer();
    c->setProgId(progId);
    noteResult(c);
}

void MSOFFICECLASS::START()
{
    ensureContainer()->setLocale(1033);
}

uint8_t MSOFFICECLASS::ISRUNNING()
{
    // Asking is not a failure: the answer is the result.
    const QString earlier = m_error;
    const bool running = toLong(GETPROPERTY(QStringLiteral("Application.Version"))) != 0;
    m_error = earlier;
    return running ? 1 : 0;
}

void MSOFFICECLASS::QUIT()
{
    SENDCOMMAND(QStringLiteral("Quit"));
    ensureContainer()->endObject();
}

void MSOFFICECLASS::SETREPORTEXCEPTION(uint8_t on) { ensureContainer()->setReportException(on != 0); }

void MSOFFICECLASS::ACTIVATE() { SENDCOMMAND(QStringLiteral("Application.Activate")); }
void MSOFFICECLASS::COPY() { SENDCOMMAND(QStringLiteral("Selection.Copy")); }
void MSOFFICECLASS::CUT() { SENDCOMMAND(QStringLiteral("Selection.Cut")); }
void MSOFFICECLASS::PASTE() { SENDCOMMAND(QStringLiteral("Selection.Paste")); }
uint8_t MSOFFICECLASS::GETALIGNMENT() { return 0; }
long MSOFFICECLASS::GETBOLD() { return toLong(GETPROPERTY(QStringLiteral("Selection.Font.Bold"))); }
long MSOFFICECLASS::GETDISPLAYALERTS() { return toLong(GETPROPERTY(QStringLiteral("DisplayAlerts"))); }
QString MSOFFICECLASS::GETFONT() { return GETPROPERTY(QStringLiteral("Selection.Font.Name")); }
long MSOFFICECLASS::GETFONTCOLOR() { return toLong(GETPROPERTY(QStringLiteral("Selection.Font.ColorIndex"))); }
long MSOFFICECLASS::GETFONTSIZE() { return toLong(GETPROPERTY(QStringLiteral("Selection.Font.Size"))); }
long MSOFFICECLASS::GETITALIC() { return toLong(GETPROPERTY(QStringLiteral("Selection.Font.Italic"))); }
long MSOFFICECLASS::GETUNDERLINE() { return toLong(GETPROPERTY(QStringLiteral("Selection.Font.Underline"))); }
long MSOFFICECLASS::GETVERSION() { return toLong(GETPROPERTY(QStringLiteral("Application.Version"))); }
long MSOFFICECLASS::GETVISIBLE() { return toLong(GETPROPERTY(QStringLiteral("Visible"))); }
void MSOFFICECLASS::MAXIMIZE() { SETPROPERTY(QStringLiteral("Application.WindowState"), QStringLiteral("1")); }
void MSOFFICECLASS::MINIMIZE() { SETPROPERTY(QStringLiteral("Application.WindowState"), QStringLiteral("2")); }
// The caller writes the macro's quoted name and its arguments itself.
void MSOFFICECLASS::RUNMACRO(const QString& macro) { SENDCOMMAND(QStringLiteral("Application.Run(") + macro + QLatin1Char(')')); }
void MSOFFICECLASS::SETALIGNMENT(uint8_t) {}
void MSOFFICECLASS::SETBOLD(uint8_t on) { SETPROPERTY(QStringLiteral("Selection.Font.Bold"), flag(on)); }
void MSOFFICECLASS::SETDISPLAYALERTS(uint8_t on) { SETPROPERTY(QStringLiteral("DisplayAlerts"), flag(on)); }
void MSOFFICECLASS::SETFONT(const QString& name) { SETPROPERTY(QStringLiteral("Selection.Font.Name"), name); }
void MSOFFICECLASS::SETFONTCOLOR(long) {}
void MSOFFICECLASS::SETFONTSIZE(short size) { SETPROPERTY(QStringLiteral("Selection.Font.Size"), num(size)); }
void MSOFFICECLASS::SETITALIC(uint8_t on) { SETPROPERTY(QStringLiteral("Selection.Font.Italic"), flag(on)); }
void MSOFFICECLASS::SETSCREENUPDATING(uint8_t on) { SETPROPERTY(QStringLiteral("ScreenUpdating"), flag(on)); }
void MSOFFICECLASS::SETUNDERLINE(uint8_t on) { SETPROPERTY(QStringLiteral("Selection.Font.Underline"), flag(on)); }
void MSOFFICECLASS::SETVISIBLE(uint8_t on) { SETPROPERTY(QStringLiteral("Visible"), flag(on)); }

void MSOFFICECLASS::SETFORMAT(const QString& font, short size, long colour, uint8_t bold, uint8_t italic, uint8_t alignment)
{
    if (!font.trimmed().isEmpty())
        SETFONT(font);
    SETFONTSIZE(size);
    SETBOLD(bold);
    SETITALIC(italic);
    SETFONTCOLOR(colour);
    if (alignment)
        SETALIGNMENT(alignment);
}
