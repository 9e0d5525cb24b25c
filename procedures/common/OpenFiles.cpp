#include "procedures/common/OpenFiles.h"

#include "data/Corvalde.h"
#include "data/Globals.h"
#include "data/TableManagers.h"
#include "procedures/common/VelmoraDll.h"
#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "runtime/Paths.h"
#include "runtime/SqliteDialect.h"
#include "runtime/Text.h"
#include "services/Quilvo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdint>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace W_First {

std::function<bool(int row)> beforeCopyRow;

namespace {

struct OpenEntry {
    Tbl table;
    const char* label; // as the messages name it
};

// The opening order, and each table's label in the messages.
const OpenEntry kOpenOrder[] = {
    {Tbl::SQL_File, "SQL_File"},
    {Tbl::CAL_CalendarEvents, "CAL_CalendarEvents"},
    {Tbl::CAL_EventCategories, "CAL_EventCategories"},
    {Tbl::EMAIL, "EMAIL"},
    {Tbl::EMAILATTACH, "EMAILATTACH"},
    {Tbl::CON_Group, "CON_GROUP"},
    {Tbl::CON_Contacts, "CON_Contacts"},
    {Tbl::Accounts, "ACCOUNTS"},
    {Tbl::Inbox, "INBOX"},
    {Tbl::PrihodiRashodiKategorija, "PrihodiRashodiKategorija"},
    {Tbl::PrihodiRashodi, "PrihodiRashodi"},
    {Tbl::IDKategorija, "IDKategorija"},
    {Tbl::IDokumenti, "IDokumenti"},
    {Tbl::IDStavke, "IDStavke"},
    {Tbl::UDKategorija, "UDKategorija"},
    {Tbl::UDokumenti, "UDokumenti"},
    {Tbl::ProizvodUsluga, "ProizvodUsluga"},
    {Tbl::Dnevnik, "Dnevnik"},
    {Tbl::Passwords, "Passwords"},
    {Tbl::PasswordsKategorija, "PasswordsKategorija"},
    {Tbl::Notes, "Notes"},
    {Tbl::Backup, "Backup"},
};

QString codeText(const vrt::FileManager& f)
{
    return QString::number(f.ErrorCode()) + QStringLiteral(" : ") + f.ErrorText();
}

// The database holds account passwords: a folder and a file made here are the user's alone.
// A Files/ that exists keeps the mode its owner gave it.
void prepareDatabaseFile(const QString& dataFolder)
{
    const QString files = vrt::joinPath(dataFolder, QStringLiteral("Files"));
    if (!QFileInfo::exists(files) && QDir().mkpath(files))
        ::chmod(QFile::encodeName(files).constData(), 0700);
    const QByteArray db = QFile::encodeName(vrt::joinPath(files, QStringLiteral("Database.db")));
    const int fd = ::open(db.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0)
        ::close(fd); // an empty file is a new, empty database to SQLite
}

bool writable(const QString& path, int mode)
{
    return ::access(QFile::encodeName(path).constData(), mode) == 0;
}

// Why the data folder cannot be used, looked at before anything in it is made or changed:
// a read-only folder or database would start without a word and fail at the first save, and
// a file that is not a database would fail once for every table. Empty when it can be used.
QString refusalOf(const QString& folder)
{
    const auto t = [](const QString& text) { return VelmoraDll::translator().QVSTR(text); };
    const QString files = vrt::joinPath(folder, QStringLiteral("Files"));
    const QString db = vrt::joinPath(files, QStringLiteral("Database.db"));
    for (const QString& dir : {folder, files}) {
        const QFileInfo info(dir);
        if (dir == files && !info.exists())
            break;
        if (!info.isDir() || !writable(dir, W_OK | X_OK))
            return t(QStringLiteral("Mapa podataka je samo za čitanje")) + QLatin1Char('|') + dir;
    }
    const QFileInfo info(db);
    if (!info.exists())
        return {};
    // A device or a pipe under that name would block the read below or feed it for ever.
    if (!info.isFile())
        return t(QStringLiteral("Baza podataka je oštećena ili nije baza podataka")) + QLatin1Char('|') + db;
    if (!writable(db, R_OK | W_OK))
        return t(QStringLiteral("Baza podataka je samo za čitanje")) + QLatin1Char('|') + db;
    std::string why;
    if (info.size() > 0 && !vrt::dialect::databaseFileReadable(QFile::encodeName(db).toStdString(), &why))
        return t(QStringLiteral("Baza podataka je oštećena ili nije baza podataka")) + QLatin1Char('|') + db +
               QLatin1Char('|') + QString::fromStdString(why);
    return {};
}

int refuse(const QString& text)
{
    vrt::message(text, QStringLiteral("Velmora"), vrt::Icon::Hand, vrt::BUTTON_OK);
    return 1;
}

bool isDigits(const std::string& s)
{
    if (s.empty())
        return false;
    size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size())
        return false;
    for (; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

// A number of an old column within [low, high]; anything else (text, 1e20, NaN) is 0, which
// every such column reads as "none": no folder, no date, no time.
long long numberWithin(const std::string& v, long long low, long long high)
{
    bool ok = false;
    const double d = QString::fromStdString(v).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || d < double(low) || d > double(high))
        return 0;
    return static_cast<long long>(d);
}

// One old row into the new layout: columns by name; a column the old table lacks stays empty.
// Old date and time columns may hold the runtime's day and time numbers.
void CopyEmailRow(vrt::odbc::Statement& from, const std::vector<int>& sourceOf, EMAIL_Rec& to)
{
    const vrt::TableDesc& t = corvalde::declaration(Tbl::EMAIL);
    to = EMAIL_Rec();
    for (size_t i = 0; i < t.fields.size(); ++i) {
        if (sourceOf[i] < 0)
            continue;
        const vrt::FieldDesc& f = t.fields[i];
        const std::string v = from.text(sourceOf[i] + 1).value_or(std::string());
        void* at = f.at(&to);
        switch (f.kind) {
        case vrt::FieldKind::Long:
            *static_cast<int32_t*>(at) = int32_t(numberWithin(v, INT32_MIN, INT32_MAX));
            break;
        case vrt::FieldKind::Byte:
            *static_cast<uint8_t*>(at) = uint8_t(numberWithin(v, 0, UINT8_MAX));
            break;
        case vrt::FieldKind::Date:
            *static_cast<int32_t*>(at) = isDigits(v) ? int32_t(numberWithin(v, 0, vrt::LastDay))
                                                     : vrt::dayFromText(QString::fromStdString(v));
            break;
        case vrt::FieldKind::Time:
            *static_cast<int32_t*>(at) = isDigits(v) ? int32_t(numberWithin(v, 0, vrt::LastTime))
                                                     : vrt::timeFromText(QString::fromStdString(v));
            break;
        default:
            *static_cast<std::string*>(at) = v;
            break;
        }
    }
}

} // namespace

std::string connectionString(const QString& dataFolder, QString* why)
{
    // The driver reads ';' and braces as syntax: a folder holding them would open another file.
    if (dataFolder.contains(QLatin1Char(';')) || dataFolder.contains(QLatin1Char('{')) ||
        dataFolder.contains(QLatin1Char('}'))) {
        if (why)
            *why = QStringLiteral("The data folder name contains ';', '{' or '}': ") + dataFolder;
        return {};
    }
    const QString db = vrt::joinPath(dataFolder, QStringLiteral("Files/Database.db"));
    std::string s = "Driver=SQLite3 ODBC Driver;Database=" + db.toStdString();
    // Rows are stepped one at a time; without it the driver reads a whole result into memory
    // before the first row.
    s += ";StepAPI=1";
    // Velmora and Korbelsteen share the file: a writer waits for the other's lock (ms).
    s += ";Timeout=100000";
    // Readers and the writer do not block each other, so a long list load on one thread does
    // not stall another thread's save.
    s += ";JournalMode=WAL";
    // In WAL mode NORMAL syncs at checkpoints, not at every commit: a killed process still
    // loses no commit and sees no half of one; only a power loss may drop the last commits, and
    // a receive fetches those again since it goes by the stored ids. Receiving commits once per
    // message, so a sync per commit would dominate it on a real disk.
    s += ";SyncPragma=NORMAL";
    // Foreign keys stay off: no table declares one; the declared cascades run in the data
    // layer, inside one transaction.
    s += ";FKSupport=0";
    return s;
}

int OpenFilez()
{
    QString why;
    const QString folder = QString::fromStdString(THISPCPATH);
    if (folder.isEmpty())
        return refuse(QStringLiteral("W_First OpenFilez :The data folder is not set."));
    const std::string owner = connectionString(folder, &why);
    if (owner.empty())
        return refuse(QStringLiteral("W_First OpenFilez :") + why);
    const QString refusal = refusalOf(folder);
    if (!refusal.isEmpty())
        return refuse(refusal);
    prepareDatabaseFile(folder);
    GLO::OWNER = owner;
    corvalde::setTableNames();

    for (const OpenEntry& e : kOpenOrder) {
        vrt::FileManager& f = Access(e.table);
        const QString label = QString::fromLatin1(e.label);
        f.CREATE = 0;
        int rc = f.TryOpen();
        if (rc == vrt::NoFileError) {
            if (f.Create())
                vrt::stop(QStringLiteral("W_First OpenFilez CREATE(") + label + QStringLiteral(") :") + codeText(f));
            if (f.TryOpen())
                vrt::stop(QStringLiteral("W_First OpenFilez SHARE(") + label + QStringLiteral(") :") + codeText(f));
        } else if (rc == vrt::BadDeclarationError && e.table == Tbl::EMAIL) {
            if (const int r = UpgradeEmailTable())
                return r;
        } else if (rc == vrt::DriverError) {
            // The database itself failed (its connection or its catalogue): every other table
            // would fail the same way, so it is said once and the opening ends.
            return refuse(VelmoraDll::translator().QVSTR(QStringLiteral("Baza podataka se ne može otvoriti")) +
                          QLatin1Char('|') + label + QStringLiteral(" : ") + f.ErrorText());
        } else if (rc) {
            // A table that cannot be opened is reported, never passed over.
            if (vrt::ErrorClass* errors = f.Errors()) {
                errors->setFile(label);
                errors->setKey({});
                errors->setErrorText(f.ErrorText(), rc);
                errors->throwMessage(rc == vrt::BadDeclarationError ? vrt::Msg_DeclarationMismatch
                                                                    : vrt::Msg_OpenFailed);
            } else {
                vrt::stop(QStringLiteral("W_First OpenFilez SHARE(") + label + QStringLiteral(") :") + codeText(f));
            }
        }
        f.CREATE = 1;
    }
    return 0;
}

int UpgradeEmailTable()
{
    vrt::FileManager& sql = Access(Tbl::SQL_File);
    vrt::odbc::Error err;
    vrt::odbc::Connection* c = corvalde::ThreadSession().connection(&err);
    if (!c) {
        vrt::stop(QStringLiteral("EMAIL : ") + QString::fromStdString(err.text));
        return 0;
    }
    // The pass-through table starts anew.
    sql.Close();
    c->exec("DROP TABLE IF EXISTS " + vrt::quoteName(sql.SqlName()));
    if (sql.Create()) {
        vrt::message(QStringLiteral("CreateSQL SQL_FILE ! : ") + codeText(sql));
        return 0;
    }
    if (sql.TryOpen()) {
        vrt::message(QStringLiteral("OpenSQL SQL_FILE !"));
        return 0;
    }

    const vrt::TableDesc& t = corvalde::declaration(Tbl::EMAIL);
    const std::string oldName = FILENAME::EMAIL.get();
    const std::string newName = "EMAIL_NEW";
    std::vector<vrt::dialect::ColumnInfo> oldColumns;
    if (!vrt::dialect::tableColumns(*c, oldName, oldColumns, &err)) {
        vrt::stop(QStringLiteral("EMAIL : ") + QString::fromStdString(err.text));
        return 0;
    }
    std::vector<int> sourceOf(t.fields.size(), -1);
    for (size_t i = 0; i < t.fields.size(); ++i)
        for (size_t j = 0; j < oldColumns.size(); ++j)
            if (QString::fromStdString(oldColumns[j].name).compare(QLatin1String(t.fields[i].name), Qt::CaseInsensitive) == 0)
                sourceOf[i] = int(j);

    Access(Tbl::EMAIL).Close();
    Access(Tbl::AEMAIL).Close();
    vrt::odbc::Transaction tx(*c);
    auto abandon = [&](const QString& text) {
        vrt::stop(text);
        return 0; // the transaction's end rolls everything back: EMAIL stays as it was
    };
    if (!tx.started())
        return abandon(QStringLiteral("EMAIL : ") + QString::fromStdString(c->error().text));
    // A leftover of an earlier failed rebuild would block this one.
    if (!c->exec("DROP TABLE IF EXISTS " + vrt::quoteName(newName)) ||
        !c->exec(vrt::FileManager::CreateTableSql(t, newName)))
        return abandon(QStringLiteral("EMAIL 111: CheckError()"));

    std::string insert = "INSERT INTO " + vrt::quoteName(newName) + " (";
    std::string marks;
    for (size_t i = 0; i < t.fields.size(); ++i) {
        insert += (i ? ", " : "") + vrt::quoteName(t.fields[i].name);
        marks += i ? ", ?" : "?";
    }
    insert += ") VALUES (" + marks + ")";
    vrt::odbc::Statement add(*c);
    if (!add.prepare(insert))
        return abandon(QStringLiteral("EMAIL 222: CheckError()"));

    {
        vrt::odbc::Statement read(*c);
        if (!read.execDirect("SELECT * FROM " + vrt::quoteName(oldName)))
            return abandon(QStringLiteral("EMAIL : ") + QString::fromStdString(read.error().text));
        EMAIL_Rec row;
        int n = 0;
        while (read.fetch()) {
            ++n;
            CopyEmailRow(read, sourceOf, row);
            add.clearParams();
            int pos = 1;
            for (size_t i = 0; i < t.fields.size(); ++i) {
                const vrt::FieldDesc& f = t.fields[i];
                void* at = f.at(&row);
                switch (f.kind) {
                case vrt::FieldKind::Long: add.bindInt(pos++, *static_cast<int32_t*>(at)); break;
                case vrt::FieldKind::Byte: add.bindInt(pos++, *static_cast<uint8_t*>(at)); break;
                case vrt::FieldKind::Date: add.bindText(pos++, vrt::dayToText(*static_cast<int32_t*>(at)).toStdString()); break;
                case vrt::FieldKind::Time: add.bindText(pos++, vrt::timeToText(*static_cast<int32_t*>(at)).toStdString()); break;
                default: {
                    const std::string v = vrt::clipUtf8(*static_cast<std::string*>(at), f.maxChars());
                    if (v.empty() && t.emptyIsNull(int(i)))
                        add.bindNull(pos++);
                    else
                        add.bindText(pos++, v);
                }
                }
            }
            const bool allowed = !beforeCopyRow || beforeCopyRow(n);
            if (!allowed || !add.execute())
                return abandon(QStringLiteral("EMAIL ADD EMAIL: ") +
                               QString::fromStdString(allowed ? add.error().text : std::string("refused")));
        }
        if (!read.error().ok())
            return abandon(QStringLiteral("EMAIL : ") + QString::fromStdString(read.error().text));
    }
    if (!c->exec("DROP TABLE " + vrt::quoteName(oldName)))
        return abandon(QStringLiteral("DROP TABLE EMAIL : ") + QString::fromStdString(c->error().text));
    if (!c->exec("ALTER TABLE " + vrt::quoteName(newName) + " RENAME TO " + vrt::quoteName(oldName)))
        return abandon(QStringLiteral("ALTER TABLE EMAIL_NEW RENAME TO EMAIL : ") + QString::fromStdString(c->error().text));
    for (const std::string& index : vrt::FileManager::CreateIndexSql(t, oldName))
        if (!c->exec(index))
            return abandon(QStringLiteral("EMAIL : ") + QString::fromStdString(c->error().text));
    if (!tx.commit())
        return abandon(QStringLiteral("EMAIL : ") + QString::fromStdString(c->error().text));
    return 0;
}

} // namespace W_First
