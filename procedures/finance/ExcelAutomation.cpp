#include "procedures/finance/ExcelAutomation.h"

#include "procedures/finance/XlsxWorkbook.h"
#include "runtime/ComponentRegistry.h"

namespace finance {

QString quoted(const QString& text)
{
    QString s = text;
    return QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

std::vector<PathMember> parsePath(const QString& path, bool* ok)
{
    std::vector<PathMember> out;
    out.reserve(3);
    int i = 0;
    const int n = int(path.size());
    auto fail = [&] {
        if (ok)
            *ok = false;
        return std::vector<PathMember>{};
    };
    while (i < n) {
        PathMember m;
        while (i < n && path[i] != '.' && path[i] != '(')
            m.name += path[i++];
        m.name = m.name.trimmed();
        if (i < n && path[i] == '(') {
            m.hasArgs = true;
            ++i;
            QString arg;
            bool inArg = false;
            for (;;) {
                if (i >= n)
                    return fail();
                const QChar c = path[i];
                if (c == '"') {
                    ++i;
                    for (;;) {
                        if (i >= n)
                            return fail();
                        if (path[i] == '"') {
                            if (i + 1 < n && path[i + 1] == '"') {
                                arg += '"';
                                i += 2;
                                continue;
                            }
                            ++i;
                            break;
                        }
                        arg += path[i++];
                    }
                    inArg = true;
                } else if (c == ',' || c == ')') {
                    if (inArg || c == ',' || !m.args.isEmpty())
                        m.args << arg.trimmed();
                    arg.clear();
                    inArg = false;
                    ++i;
                    if (c == ')')
                        break;
                } else {
                    arg += c;
                    inArg = inArg || !c.isSpace();
                    ++i;
                }
            }
        }
        out.push_back(m);
        if (i < n) {
            if (path[i] != '.')
                return fail();
            ++i;
        }
    }
    if (ok)
        *ok = true;
    return out;
}

namespace {

// "Excel.Application" on our own: an in-memory workbook filled from a template.
class XlsxExcelContainer : public AutomationContainer {
public:
    using AutomationContainer::AutomationContainer;
    void setProgId(const QString& progId) override { m_progId = progId; }
    void endObject() override
    {
        m_book.reset();
        m_progId.clear();
    }
    QString read(const QString& path) override
    {
        m_error.clear();
        const auto m = members(path);
        if (is(m, {"Application", "Version"}))
            return m_progId.isEmpty() ? QStringLiteral("No ole automation interface") : QStringLiteral("16.0");
        if (m.size() == 2 && m[0].name.compare(QLatin1String("Range"), Qt::CaseInsensitive) == 0
            && m[1].name.compare(QLatin1String("Select"), Qt::CaseInsensitive) == 0 && m[0].args.size() == 1) {
            select(m[0].args[0]);
            return m_active;
        }
        if (m.size() == 2 && m[0].name.compare(QLatin1String("Cells"), Qt::CaseInsensitive) == 0 && m[0].args.size() == 2
            && m[1].name.compare(QLatin1String("Select"), Qt::CaseInsensitive) == 0) {
            QString col;
            for (int c = m[0].args[1].toInt(); c > 0; c = (c - 1) / 26)
                col.prepend(QChar('A' + (c - 1) % 26));
            select(col + m[0].args[0]);
            return m_active;
        }
        if (is(m, {"ActiveCell", "Value"}))
            return m_book ? m_book->cellValue(m_active) : QString();
        if (is(m, {"ActiveSheet", "Name"}))
            return m_book ? m_book->sheetTitle() : QString();
        invoke(m);
        return {};
    }
    void write(const QString& path, const QVariant& value) override
    {
        m_error.clear();
        const auto m = members(path);
        if (is(m, {"ActiveCell", "FormulaR1C1"}) || is(m, {"ActiveCell", "Value"})) {
            if (!m_book)
                return unsupported(QStringLiteral("no active workbook"));
            bool done = false;
            if (value.canConvert<CellNumber>() && value.userType() == qMetaTypeId<CellNumber>())
                done = m_book->setNumber(m_active, value.value<CellNumber>().decimal);
            else if (value.userType() == QMetaType::QDate)
                done = m_book->setDate(m_active, value.toDate());
            else if (value.userType() == QMetaType::Int || value.userType() == QMetaType::LongLong)
                done = m_book->setNumber(m_active, QString::number(value.toLongLong()));
            else // a text is literal, whatever it begins with
                done = m_book->setText(m_active, value.toString());
            if (!done)
                unsupported(m_book->error());
            return;
        }
        if (is(m, {"ActiveSheet", "Name"})) {
            if (!m_book)
                return unsupported(QStringLiteral("no active workbook"));
            m_book->setSheetTitle(value.toString());
            return;
        }
        if (m.size() == 1 && (m[0].name == QLatin1String("Visible") || m[0].name == QLatin1String("DisplayAlerts")
                              || m[0].name == QLatin1String("ScreenUpdating")))
            return;
        unsupported(QStringLiteral("unsupported automation path: ") + path);
    }

private:
    std::vector<PathMember> members(const QString& path)
    {
        bool ok = false;
        auto m = parsePath(path, &ok);
        if (!ok)
            unsupported(QStringLiteral("malformed automation path: ") + path);
        return m;
    }
    static bool is(const std::vector<PathMember>& m, std::initializer_list<const char*> names)
    {
        if (m.size() != names.size())
            return false;
        size_t i = 0;
        for (const char* n : names)
            if (m[i++].name.compare(QLatin1String(n), Qt::CaseInsensitive) != 0)
                return false;
        return true;
    }
    void select(const QString& ref)
    {
        int r = 0, c = 0;
        if (!XlsxWorkbook::parseRef(ref, &r, &c))
            return unsupported(QStringLiteral("not a cell: ") + ref);
        m_active = ref.trimmed().toUpper().remove(QLatin1Char('$'));
    }
    void invoke(const std::vector<PathMember>& m)
    {
        if (m.empty())
            return;
        if (is(m, {"Application", "Activate"}))
            return;
        if (is(m, {"Workbooks", "Add"})) {
            m_book = std::make_unique<XlsxWorkbook>();
            m_book->create();
            m_active = QStringLiteral("A1");
            return;
        }
        if (is(m, {"Workbooks", "Open"}) && m[1].args.size() == 1) {
            auto book = std::make_unique<XlsxWorkbook>();
            if (!book->open(m[1].args[0]))
                return unsupported(book->error());
            m_book = std::move(book);
            m_active = QStringLiteral("A1");
            return;
        }
        if (is(m, {"ActiveWorkbook", "SaveAs"}) && !m[1].args.isEmpty()) {
            if (!m_book)
                return unsupported(QStringLiteral("no active workbook"));
            if (!m_book->saveAs(m[1].args[0]))
                unsupported(m_book->error());
            return;
        }
        if (is(m, {"ActiveWindow", "Close"}) || is(m, {"Quit"})) {
            m_book.reset();
            return;
        }
        QStringList names;
        for (const auto& x : m)
            names << x.name;
        unsupported(QStringLiteral("unsupported automation path: ") + names.join(QLatin1Char('.')));
    }
    void unsupported(const QString& why)
    {
        m_error = why;
        if (m_report)
            qWarning("%s", qPrintable(why));
    }

    QString m_progId;
    std::unique_ptr<XlsxWorkbook> m_book;
    QString m_active = QStringLiteral("A1");
};

const QString SpreadsheetProgId = QStringLiteral("Excel.Application");

} // namespace

void registerSpreadsheetComponent()
{
    vrt::ComponentRegistry& r = vrt::ComponentRegistry::instance();
    if (!r.isRegistered(SpreadsheetProgId))
        r.registerFactory(SpreadsheetProgId, [](QWidget*) -> QObject* { return new XlsxExcelContainer; });
}

bool MsExcelClass::check()
{
    m_error = m_container ? m_container->lastError() : QStringLiteral("No ole automation interface");
    return m_error.isEmpty();
}

bool MsExcelClass::INIT()
{
    QObject* made = vrt::ComponentRegistry::instance().create(SpreadsheetProgId);
    m_container.reset(qobject_cast<AutomationContainer*>(made));
    if (!m_container) {
        delete made;
        m_error = QStringLiteral("No ole automation interface");
        return false;
    }
    m_container->setProgId(SpreadsheetProgId);
    m_container->setLocale(1033);
    m_container->setReportException(true);
    m_error.clear();
    return true;
}

bool MsExcelClass::OPENFILE(const QString& path)
{
    if (!m_container)
        return check();
    m_container->read(path.trimmed().isEmpty() ? QStringLiteral("Workbooks.Add")
                                                : QStringLiteral("Workbooks.Open(") + quoted(path) + QLatin1Char(')'));
    return check();
}

void MsExcelClass::SELECT(const QString& range)
{
    if (m_container)
        m_container->read(QStringLiteral("Range(") + quoted(range) + QStringLiteral(").Select"));
}

void MsExcelClass::ASSIGN(const QString& range, const QVariant& value)
{
    SELECT(range);
    if (m_container && !m_container->lastCallFailed())
        m_container->write(QStringLiteral("ActiveCell.FormulaR1C1"), value);
    if (m_container && m_container->lastCallFailed() && m_error.isEmpty())
        m_error = m_container->lastError(); // the first failure is the one to report
}

void MsExcelClass::SHEETNAME(const QString& name)
{
    if (!m_container || m_container->lastCallFailed())
        return;
    m_container->write(QStringLiteral("ActiveSheet.Name"), name);
    if (m_container->lastCallFailed() && m_error.isEmpty())
        m_error = m_container->lastError();
}

bool MsExcelClass::SAVE(const QString& path)
{
    if (!m_container)
        return check();
    const QString earlier = m_error;
    m_container->read(QStringLiteral("ActiveWorkbook.SaveAs(") + quoted(path) + QLatin1Char(')'));
    if (m_container->lastCallFailed()) {
        m_error = m_container->lastError();
        return false;
    }
    m_error = earlier;
    return true;
}

void MsExcelClass::CLOSE(int how)
{
    if (m_container)
        m_container->read(QStringLiteral("ActiveWindow.Close(") + QString::number(how) + QLatin1Char(')'));
}

} // namespace finance
