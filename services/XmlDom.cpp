#include "services/XmlDom.h"

#include "runtime/DateTime.h"
#include "runtime/Dialogs.h"
#include "services/DosFile.h"

#include <QRegularExpression>

#include <sstream>

namespace {

constexpr std::uint8_t kOk = 0;
constexpr std::uint8_t kFailed = 3;
constexpr std::uint8_t kOutOfRange = 5;
// Deeper documents are not walked: the walk recurses once per level.
constexpr int kMaxDepth = 512;

const char* const kDataTypesUrn = "urn:schemas-microsoft-com:datatypes";

QString clipped(QString text)
{
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

std::string utf8(const QString& text) { return clipped(text).toStdString(); }

QString fromUtf8(const char* text) { return QString::fromUtf8(text); }

// Node types numbered as the DOM numbers them.
std::int32_t domType(const pugi::xml_node& node)
{
    switch (node.type()) {
    case pugi::node_element: return 1;
    case pugi::node_pcdata: return 3;
    case pugi::node_cdata: return 4;
    case pugi::node_pi:
    case pugi::node_declaration: return 7;
    case pugi::node_comment: return 8;
    case pugi::node_document: return 9;
    case pugi::node_doctype: return 10;
    default: return 0;
    }
}

QString dataTypeOf(const pugi::xml_node& node) { return fromUtf8(node.attribute("dt:dt").value()); }

QString localName(const pugi::xml_node& node)
{
    const QString name = fromUtf8(node.name());
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    return colon < 0 ? name : name.mid(colon + 1);
}

// A document type that declares entities or names an outside DTD is not accepted: entity
// expansion and outside references are how XML is turned against its reader.
bool unsafeDoctype(const pugi::xml_document& doc)
{
    for (const pugi::xml_node& n : doc.children()) {
        if (n.type() != pugi::node_doctype)
            continue;
        static const QRegularExpression risky(QStringLiteral("<!ENTITY|\\bSYSTEM\\b|\\bPUBLIC\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        if (fromUtf8(n.value()).contains(risky))
            return true;
    }
    return false;
}

} // namespace

XMLDOMCLTYPE::XMLDOMCLTYPE() = default;

XMLDOMCLTYPE::~XMLDOMCLTYPE() { KILL(); }

std::uint8_t XMLDOMCLTYPE::fail(const QString& text)
{
    ERRSTR = text.left(128);
    if (DEBUGMODE)
        vrt::message(text);
    return kFailed;
}

std::int32_t XMLDOMCLTYPE::keep(const pugi::xml_node& node)
{
    const std::int32_t handle = m_next++;
    m_nodes[handle] = node;
    return handle;
}

bool XMLDOMCLTYPE::find(std::int32_t handle, pugi::xml_node& out) const
{
    if (handle == 0 && m_doc) {
        out = *m_doc;
        return true;
    }
    const auto it = m_nodes.find(handle);
    if (it == m_nodes.end())
        return false;
    out = it->second;
    return true;
}

bool XMLDOMCLTYPE::element(std::int32_t handle, pugi::xml_node& out) const
{
    return handle != 0 && find(handle, out) && out.type() == pugi::node_element;
}

std::uint8_t XMLDOMCLTYPE::INIT(std::uint8_t debug)
{
    KILL();
    DEBUGMODE = debug ? 1 : 0;
    m_doc = std::make_unique<pugi::xml_document>();
    return kOk;
}

void XMLDOMCLTYPE::KILL()
{
    m_nodes.clear();
    m_lists.clear();
    m_doc.reset();
    ROOTELEMENT = 0;
}

std::uint8_t XMLDOMCLTYPE::CREATENEWDOMDOCUMENT()
{
    if (!m_doc)
        return fail(QStringLiteral("Creating the xml document failed"));
    pugi::xml_node decl = m_doc->append_child(pugi::node_declaration);
    if (!decl || !decl.append_attribute("version").set_value("1.0"))
        return fail(QStringLiteral("Creating the xml document failed"));
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::CREATEROOTNODE(const QString& name)
{
    if (!m_doc || clipped(name).isEmpty() || m_doc->document_element())
        return fail(QStringLiteral("Error creating the root element of the Xml document"));
    pugi::xml_node root = m_doc->append_child(utf8(name).c_str());
    if (!root)
        return fail(QStringLiteral("Error creating the root element of the Xml document"));
    if (!root.append_attribute("xmlns:dt").set_value(kDataTypesUrn))
        return fail(QStringLiteral("Error creating the root element of the xml document"));
    ROOTELEMENT = keep(root);
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::ADDCHILDNODE(std::int32_t parent, const QString& name, const QString& dataType,
                                        std::int32_t& newElement)
{
    newElement = 0;
    pugi::xml_node p;
    pugi::xml_node child;
    if (element(parent, p) && !clipped(name).isEmpty())
        child = p.append_child(utf8(name).c_str());
    if (child && !clipped(dataType).isEmpty() && !child.append_attribute("dt:dt").set_value(utf8(dataType).c_str())) {
        p.remove_child(child);
        child = {};
    }
    if (!child) {
        if (ERRSTR.isEmpty())
            return fail(QStringLiteral("Error adding to the xml document. The document is incomplete."));
        return kFailed;
    }
    newElement = keep(child);
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::ADDTEXTDATA(std::int32_t elementHandle, const QString& text)
{
    pugi::xml_node e;
    if (!element(elementHandle, e) || !e.text().set(utf8(text).c_str()))
        return fail(QStringLiteral("Adding data to the xml document failed"));
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::ADDDATETIMEDATA(std::int32_t elementHandle, std::int32_t date, std::int32_t time)
{
    if (date == 0 || time == 0)
        return fail(QStringLiteral("Both a date and time is required for adding to the xml document."));
    const QDate d = vrt::dateFromDay(date);
    const QTime t = vrt::qtimeFromTime(time);
    if (!d.isValid() || !t.isValid())
        return fail(QStringLiteral("Adding data to the xml document failed"));
    return ADDTEXTDATA(elementHandle, d.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('T')
                                          + t.toString(QStringLiteral("HH:mm:ss")));
}

std::uint8_t XMLDOMCLTYPE::ADDBINARYDATA(std::int32_t elementHandle, const QByteArray& data, std::int32_t length)
{
    pugi::xml_node e;
    if (length < 1 || length > data.size()) {
        // The byte-array step's own text.
        return fail(QStringLiteral("Data size less than one. Can not create a safearray."));
    }
    if (!element(elementHandle, e))
        return fail(QStringLiteral("Adding binary data to the xml document failed."));
    const QByteArray bytes = data.left(length);
    if (dataTypeOf(e).isEmpty())
        e.append_attribute("dt:dt").set_value("bin.base64");
    const QByteArray text = dataTypeOf(e) == QLatin1String("bin.hex") ? bytes.toHex() : bytes.toBase64();
    if (!e.text().set(text.constData()))
        return fail(QStringLiteral("Adding binary data to the xml document failed."));
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::load(const QByteArray& bytes)
{
    KILL();
    m_doc = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result =
        m_doc->load_buffer(bytes.constData(), std::size_t(bytes.size()), pugi::parse_default | pugi::parse_declaration
                                                                             | pugi::parse_doctype | pugi::parse_pi
                                                                             | pugi::parse_comments);
    int status = result ? 0 : int(result.status);
    if (result && unsafeDoctype(*m_doc))
        status = int(pugi::status_bad_doctype);
    if (status != 0) {
        m_doc = std::make_unique<pugi::xml_document>();
        return fail(QStringLiteral("Loading the xml document failed : ") + QString::number(status));
    }
    if (const pugi::xml_node root = m_doc->document_element())
        ROOTELEMENT = keep(root);
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::LOADFROMDISK(const QString& file)
{
    DOSFMTYPE f;
    f.DEBUG = 0;
    f.OPENMODE = 64;
    if (!f.SETDOSFILENAME(clipped(file)) || f.DOSOPEN() != 0)
        return fail(QStringLiteral("Loading the xml document failed : ") + QString::number(int(pugi::status_file_not_found)));
    QByteArray bytes;
    if (f.FILESIZE > kMaxFileBytes || f.READTOBLOB(bytes) != 0)
        return fail(QStringLiteral("Loading the xml document failed : ") + QString::number(int(pugi::status_io_error)));
    return load(bytes);
}

std::uint8_t XMLDOMCLTYPE::LOADFROMTEXT(const QString& text) { return load(text.toUtf8()); }

QString XMLDOMCLTYPE::XMLTEXT() const
{
    if (!m_doc)
        return {};
    std::ostringstream out;
    m_doc->save(out, "\t", pugi::format_default | pugi::format_no_declaration, pugi::encoding_utf8);
    return QString::fromStdString(out.str());
}

std::uint8_t XMLDOMCLTYPE::SAVETODISK(const QString& file)
{
    if (!m_doc)
        return fail(QStringLiteral("saving the xml document failed"));
    const QByteArray bytes = XMLTEXT().toUtf8();
    // The old file is replaced only once the new one is written whole.
    DOSFMTYPE f;
    f.DEBUG = 0;
    f.SETDOSFILENAME(clipped(file));
    if (f.DOSOPENREPLACE() != 0 || f.DOSWRITE(bytes.constData(), bytes.size()) != 0 || f.DOSCOMMIT() != 0)
        return fail(QStringLiteral("saving the xml document failed"));
    return kOk;
}

void XMLDOMCLTYPE::VIEWXML(const QString& caption)
{
    if (DEBUGMODE)
        vrt::message(XMLTEXT(), caption.isEmpty() ? QStringLiteral("xml") : caption);
}

std::uint8_t XMLDOMCLTYPE::TAKENODE(std::int32_t, const QString&, std::int32_t, const QString&, const QString&)
{
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::DONODELIST(std::int32_t node, const QString& parentName)
{
    pugi::xml_node start;
    if (!find(node, start)) {
        ERRSTR = QStringLiteral("Unable to get a list of xml nodes, cannot read the xml document.");
        return kFailed;
    }
    return walk(start, parentName, 0);
}

std::uint8_t XMLDOMCLTYPE::walk(const pugi::xml_node& parent, const QString& parentName, int depth)
{
    if (depth > kMaxDepth) {
        ERRSTR = QStringLiteral("Error reading a node from the xml document");
        return kFailed;
    }
    for (const pugi::xml_node& child : parent.children()) {
        if (child.type() != pugi::node_element)
            continue;
        std::int32_t handle = keep(child);
        const QString name = localName(child);
        QString dataType = dataTypeOf(child);
        if (dataType.isEmpty())
            dataType = QStringLiteral("No type");
        std::uint8_t result = TAKENODE(handle, name.left(256), 1, dataType.left(256), parentName);
        if (result == kFailed)
            ERRSTR = QStringLiteral("User Abort");
        else
            result = walk(child, name, depth + 1);
        FREENODE(handle);
        if (result == kFailed)
            return kFailed;
    }
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::GETNODELIST(std::int32_t& list, std::int32_t& count, std::int32_t node)
{
    list = 0;
    count = 0;
    pugi::xml_node n;
    if (!find(node, n))
        return fail(QStringLiteral("Reading through the xml file failed."));
    std::vector<pugi::xml_node> children;
    for (const pugi::xml_node& c : n.children())
        children.push_back(c);
    list = m_next++;
    count = std::int32_t(children.size());
    m_lists[list] = std::move(children);
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::GETNODE(std::int32_t list, std::int32_t index, std::int32_t& node)
{
    node = 0;
    const auto it = m_lists.find(list);
    if (it == m_lists.end())
        return fail(QStringLiteral("Reading through the xml file failed."));
    if (index < 1 || std::size_t(index) > it->second.size())
        return kOutOfRange;
    node = keep(it->second[std::size_t(index - 1)]);
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::GETNODENAME(std::int32_t node, QString& name, QString* dataType, std::int32_t& nodeType)
{
    name.clear();
    if (dataType)
        dataType->clear();
    nodeType = 0;
    pugi::xml_node n;
    if (node == 0 || !find(node, n))
        return fail(QStringLiteral("GetNodeName called with a null pointer - cannot read xml file."));
    nodeType = domType(n);
    if (nodeType != 1)
        return kOutOfRange;
    name = localName(n);
    if (dataType) {
        *dataType = dataTypeOf(n);
        if (dataType->isEmpty())
            *dataType = QStringLiteral("No type");
    }
    return kOk;
}

std::uint8_t XMLDOMCLTYPE::GETATTRIBUTES(std::int32_t node, XMLATTRIBUTEQTYPE& queue)
{
    pugi::xml_node n;
    if (!element(node, n))
        return fail(QStringLiteral("Unable to read the attributes for a node."));
    for (const pugi::xml_attribute& a : n.attributes())
        queue.push_back({fromUtf8(a.name()), fromUtf8(a.value())});
    return kOk;
}

QString XMLDOMCLTYPE::GETTEXTDATA(std::int32_t node, std::uint8_t& error)
{
    error = kFailed;
    pugi::xml_node n;
    if (!element(node, n) || dataTypeOf(n).startsWith(QLatin1String("bin."))) {
        fail(QStringLiteral("Error reading text data from the xml document."));
        return {};
    }
    error = kOk;
    return fromUtf8(n.child_value());
}

QByteArray XMLDOMCLTYPE::GETBINDATA(std::int32_t node, std::uint8_t& error)
{
    error = kFailed;
    pugi::xml_node n;
    const QString type = element(node, n) ? dataTypeOf(n) : QString();
    const QByteArray text = QByteArray(n ? n.child_value() : "").trimmed();
    QByteArray bytes;
    bool ok = false;
    if (type == QLatin1String("bin.base64")) {
        auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
        ok = bool(decoded);
        bytes = *decoded;
    } else if (type == QLatin1String("bin.hex")) {
        static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
        ok = hex.match(QString::fromLatin1(text)).hasMatch();
        bytes = QByteArray::fromHex(text);
    }
    if (!ok) {
        fail(QStringLiteral("Error reading binary data from the xml document."));
        return {};
    }
    error = kOk;
    return bytes;
}

QString XMLDOMCLTYPE::GETUNTYPEDDATA(std::int32_t node, std::uint8_t& error)
{
    error = kFailed;
    pugi::xml_node n;
    if (find(node, n)) {
        for (const pugi::xml_node& c : n.children()) {
            if (c.type() == pugi::node_pcdata) {
                error = kOk;
                return fromUtf8(c.value());
            }
        }
    }
    if (ERRSTR.isEmpty())
        fail(QStringLiteral("Unable to get child text nodes"));
    return {};
}

std::uint8_t XMLDOMCLTYPE::GETDATETIMEDATA(std::int32_t node, std::int32_t& date, std::int32_t& time)
{
    date = 0;
    time = 0;
    std::uint8_t error = kOk;
    const QString text = GETUNTYPEDDATA(node, error);
    if (error != kOk)
        return kOutOfRange;
    if (text.size() < 19)
        return fail(QStringLiteral("Invalid date time format"));
    // Digits and ranges are checked, so text of the right length is still no date unless it is one.
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}.\\d{2}:\\d{2}:\\d{2}"));
    const QDate d = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    const QTime t = QTime::fromString(text.mid(11, 8), QStringLiteral("HH:mm:ss"));
    const int day = d.isValid() ? vrt::dayFromDate(d) : 0;
    if (!shape.match(text).hasMatch() || day == 0 || !t.isValid())
        return fail(QStringLiteral("Invalid date time format"));
    date = day;
    time = vrt::timeFromQTime(t);
    return kOk;
}

void XMLDOMCLTYPE::FREENODE(std::int32_t& node)
{
    m_nodes.erase(node);
    node = 0;
}

void XMLDOMCLTYPE::FREENODELIST(std::int32_t& list)
{
    m_lists.erase(list);
    list = 0;
}

std::uint8_t XMLDOMCLTYPE::ACTIVATEDOMEVENTS()
{
    return fail(QStringLiteral("Unable to connect to XMLDom - Events not available."));
}
