#pragma once
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <pugixml.hpp>

// An attribute read by GETATTRIBUTES.
struct XmlAttribute {
    QString name;
    QString value;
};
using XMLATTRIBUTEQTYPE = std::vector<XmlAttribute>;

// Builds and reads one XML document: a declaration, a root element carrying the data-types
// namespace, child elements typed through their "dt:dt" attribute ("string", numbers,
// "dateTime", "bin.base64", "bin.hex"), load and save, a walk over the elements calling
// TAKENODE, and reads of names, data types, attributes and values.
//
// Nodes and node lists are handed out as numbered handles (0 is none; as a node argument 0
// stands for the document); the caller releases them with FREENODE, FREENODELIST or
// FREEELEMENT. Results: 0 success, 3 failure (ERRSTR says why), 5 as listed.
//
// Loading refuses documents that declare entities or name an external DTD, and files
// larger than kMaxFileBytes; nothing is ever fetched from outside the document.
class XMLDOMCLTYPE {
public:
    static constexpr std::int64_t kMaxFileBytes = 256ll * 1024 * 1024;

    XMLDOMCLTYPE();
    virtual ~XMLDOMCLTYPE();
    XMLDOMCLTYPE(const XMLDOMCLTYPE&) = delete;
    XMLDOMCLTYPE& operator=(const XMLDOMCLTYPE&) = delete;

    std::uint8_t INIT(std::uint8_t debug);
    void KILL();
    std::uint8_t CREATENEWDOMDOCUMENT();
    std::uint8_t CREATEROOTNODE(const QString& name);
    std::uint8_t ADDCHILDNODE(std::int32_t parent, const QString& name, const QString& dataType, std::int32_t& element);
    std::uint8_t ADDTEXTDATA(std::int32_t element, const QString& text);
    std::uint8_t ADDDATETIMEDATA(std::int32_t element, std::int32_t date, std::int32_t time);
    std::uint8_t ADDBINARYDATA(std::int32_t element, const QByteArray& data, std::int32_t length);
    std::uint8_t LOADFROMDISK(const QString& file);
    std::uint8_t LOADFROMTEXT(const QString& text);
    std::uint8_t SAVETODISK(const QString& file);
    QString XMLTEXT() const;
    void VIEWXML(const QString& caption = {});
    std::uint8_t DONODELIST(std::int32_t node, const QString& parentName);
    virtual std::uint8_t TAKENODE(std::int32_t node, const QString& name, std::int32_t nodeType,
                                  const QString& dataType, const QString& parentName);
    std::uint8_t GETNODELIST(std::int32_t& list, std::int32_t& count, std::int32_t node);
    std::uint8_t GETNODE(std::int32_t list, std::int32_t index, std::int32_t& node);
    std::uint8_t GETNODENAME(std::int32_t node, QString& name, QString* dataType, std::int32_t& nodeType);
    std::uint8_t GETATTRIBUTES(std::int32_t node, XMLATTRIBUTEQTYPE& queue);
    static void FREEATTRIBUTEQ(XMLATTRIBUTEQTYPE& queue) { queue.clear(); }
    QString GETTEXTDATA(std::int32_t node, std::uint8_t& error);
    QByteArray GETBINDATA(std::int32_t node, std::uint8_t& error);
    QString GETUNTYPEDDATA(std::int32_t node, std::uint8_t& error);
    std::uint8_t GETDATETIMEDATA(std::int32_t node, std::int32_t& date, std::int32_t& time);
    void FREENODE(std::int32_t& node);
    void FREENODELIST(std::int32_t& list);
    void FREEELEMENT(std::int32_t& element) { FREENODE(element); }
    // Loading is synchronous, so there are no document events to deliver.
    std::uint8_t ACTIVATEDOMEVENTS();

    std::int32_t ROOTELEMENT = 0;
    QString ERRSTR;
    std::uint8_t DEBUGMODE = 0;

private:
    std::uint8_t fail(const QString& text);
    std::int32_t keep(const pugi::xml_node& node);
    bool find(std::int32_t handle, pugi::xml_node& out) const;
    bool element(std::int32_t handle, pugi::xml_node& out) const;
    std::uint8_t walk(const pugi::xml_node& parent, const QString& parentName, int depth);
    std::uint8_t load(const QByteArray& bytes);

    std::unique_ptr<pugi::xml_document> m_doc;
    std::map<std::int32_t, pugi::xml_node> m_nodes;
    std::map<std::int32_t, std::vector<pugi::xml_node>> m_lists;
    std::int32_t m_next = 1;
};
