#include "services/DocxWordObject.h"

#include "services/OfficeAutomation.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <pugixml.hpp>
#include <set>
#include <zip.h>

#include "protocols/ZipLimits.h"
#include "runtime/PrivateFiles.h"

namespace office {

namespace {

struct Format {
    bool bold = false, italic = false, underline = false;
    QString font, colour; // colour as RRGGBB
    double size = 0;
};

struct Run {
    QString text;
    bool pageBreak = false;
    Format format;
    int picture = -1; // index into the document's pictures
    QSize size;       // of the picture, in pixels
};

struct Picture {
    QByteArray bytes;
    QString extension; // "png", "jpeg", "gif", "bmp"
};

struct Paragraph {
    std::vector<Run> runs;
    QString align;                 // "", "center", "right", "both"
    std::vector<QStringList> table; // a table when not empty
};

struct Story {
    std::vector<Paragraph> paragraphs{Paragraph{}};
    QString text() const
    {
        QStringList out;
        for (const Paragraph& p : paragraphs) {
            QString t;
            for (const Run& r : p.runs)
                t += r.pageBreak ? QStringLiteral("\f") : r.text;
            for (const QStringList& row : p.table)
                t += row.join(QLatin1Char('\t')) + QLatin1Char('\n');
            out << t;
        }
        return out.join(QLatin1Char('\r'));
    }
};

struct Document {
    QString path;
    std::vector<Picture> pictures;
    Story main, header, footer;
    double margins[4] = {72, 72, 72, 72}; // top, bottom, left, right in points
    int paper = 9;                        // A4
    bool landscape = false;
};

const char* const WordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char* const RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The word processor's colour indexes to colours.
const char* const IndexColours[] = {"auto",   "000000", "0000FF", "00FFFF", "00FF00", "FF00FF", "FF0000", "FFFF00", "FFFFFF",
                                    "000080", "008080", "008000", "800080", "800000", "808000", "808080", "C0C0C0"};

struct XmlWriter : pugi::xml_writer {
    QByteArray out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), qsizetype(size)); }
};

QByteArray serialise(const pugi::xml_document& doc)
{
    XmlWriter w;
    doc.save(w, "", pugi::format_raw, pugi::encoding_utf8);
    return w.out;
}

QString clean(const QString& text)
{
    QString s;
    for (QChar ch : text)
        s += (ch.unicode() < 0x20 && ch != '\t') ? QChar(' ') : ch;
    return s;
}

void writeRun(pugi::xml_node p, const Run& r)
{
    pugi::xml_node run = p.append_child("w:r");
    const Format& f = r.format;
    if (f.bold || f.italic || f.underline || !f.font.isEmpty() || !f.colour.isEmpty() || f.size > 0) {
        pugi::xml_node pr = run.append_child("w:rPr");
        if (!f.font.isEmpty()) {
            pugi::xml_node fonts = pr.append_child("w:rFonts");
            for (const char* a : {"w:ascii", "w:hAnsi", "w:cs"})
                fonts.append_attribute(a) = f.font.toUtf8().constData();
        }
        if (f.bold)
            pr.append_child("w:b");
        if (f.italic)
            pr.append_child("w:i");
        if (!f.colour.isEmpty())
            pr.append_child("w:color").append_attribute("w:val") = f.colour.toUtf8().constData();
        if (f.size > 0)
            pr.append_child("w:sz").append_attribute("w:val") = int(f.size * 2);
        if (f.underline)
            pr.append_child("w:u").append_attribute("w:val") = "single";
    }
    if (r.pageBreak) {
        run.append_child("w:br").append_attribute("w:type") = "page";
        return;
    }
    if (r.picture >= 0) {
        // A picture in line with the text, at its own size (96 pixels to the inch).
        const qint64 cx = qint64(r.size.width()) * 9525, cy = qint64(r.size.height()) * 9525;
        const std::string id = std::to_string(r.picture + 1), rel = "rIdPicture" + id;
        pugi::xml_node inl = run.append_child("w:drawing").append_child("wp:inline");
        pugi::xml_node extent = inl.append_child("wp:extent");
        extent.append_attribute("cx") = cx;
        extent.append_attribute("cy") = cy;
        pugi::xml_node docPr = inl.append_child("wp:docPr");
        docPr.append_attribute("id") = id.c_str();
        docPr.append_attribute("name") = ("Picture " + id).c_str();
        pugi::xml_node graphic = inl.append_child("a:graphic");
        graphic.append_attribute("xmlns:a") = "http://schemas.openxmlformats.org/drawingml/2006/main";
        pugi::xml_node data = graphic.append_child("a:graphicData");
        data.append_attribute("uri") = "http://schemas.openxmlformats.org/drawingml/2006/picture";
        pugi::xml_node pic = data.append_child("pic:pic");
        pic.append_attribute("xmlns:pic") = "http://schemas.openxmlformats.org/drawingml/2006/picture";
        pugi::xml_node nv = pic.append_child("pic:nvPicPr");
        pugi::xml_node cNv = nv.append_child("pic:cNvPr");
        cNv.append_attribute("id") = id.c_str();
        cNv.append_attribute("name") = ("picture" + id).c_str();
        nv.append_child("pic:cNvPicPr");
        pugi::xml_node fill = pic.append_child("pic:blipFill");
        fill.append_child("a:blip").append_attribute("r:embed") = rel.c_str();
        fill.append_child("a:stretch").append_child("a:fillRect");
        pugi::xml_node sp = pic.append_child("pic:spPr");
        pugi::xml_node xfrm = sp.append_child("a:xfrm");
        pugi::xml_node off = xfrm.append_child("a:off");
        off.append_attribute("x") = 0;
        off.append_attribute("y") = 0;
        pugi::xml_node ext = xfrm.append_child("a:ext");
        ext.append_attribute("cx") = cx;
        ext.append_attribute("cy") = cy;
        sp.append_child("a:prstGeom").append_attribute("prst") = "rect";
        return;
    }
    // Tabs inside typed text stay tabs.
    const QStringList pieces = clean(r.text).split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i)
            run.append_child("w:tab");
        pugi::xml_node t = run.append_child("w:t");
        t.append_attribute("xml:space") = "preserve";
        t.text().set(pieces[i].toUtf8().constData());
    }
}

void writeStory(pugi::xml_node body, const Story& story)
{
    for (const Paragraph& para : story.paragraphs) {
        if (!para.table.empty()) {
            pugi::xml_node tbl = body.append_child("w:tbl");
            pugi::xml_node pr = tbl.append_child("w:tblPr");
            pr.append_child("w:tblStyle").append_attribute("w:val") = "TableGrid";
            pugi::xml_node w = pr.append_child("w:tblW");
            w.append_attribute("w:w") = 0;
            w.append_attribute("w:type") = "auto";
            pugi::xml_node borders = pr.append_child("w:tblBorders");
            for (const char* side : {"w:top", "w:left", "w:bottom", "w:right", "w:insideH", "w:insideV"}) {
                pugi::xml_node b = borders.append_child(side);
                b.append_attribute("w:val") = "single";
                b.append_attribute("w:sz") = 4;
            }
            qsizetype columns = 0;
            for (const QStringList& row : para.table)
                columns = std::max(columns, row.size());
            pugi::xml_node grid = tbl.append_child("w:tblGrid");
            for (qsizetype c = 0; c < columns; ++c)
                grid.append_child("w:gridCol").append_attribute("w:w") = int(9000 / columns);
            for (const QStringList& row : para.table) {
                pugi::xml_node tr = tbl.append_child("w:tr");
                for (qsizetype c = 0; c < columns; ++c) {
                    pugi::xml_node p = tr.append_child("w:tc").append_child("w:p");
                    if (c < row.size())
                        writeRun(p, Run{row[c], false, {}, -1, {}});
                }
            }
            continue;
        }
        pugi::xml_node p = body.append_child("w:p");
        if (!para.align.isEmpty())
            p.append_child("w:pPr").append_child("w:jc").append_attribute("w:val") = para.align.toUtf8().constData();
        for (const Run& r : para.runs)
            writeRun(p, r);
    }
}

class DocxWordObject : public AutomationObject {
public:
    QString read(const QString& path) override;
    void write(const QString& path, const QVariant& value) override;

private:
    Document* doc()
    {
        if (m_docs.empty()) {
            fail(QStringLiteral("no active document"));
            return nullptr;
        }
        return &m_docs[size_t(m_active)];
    }
    Story& story()
    {
        Document* d = doc();
        return m_seek == 9 ? d->header : m_seek == 10 ? d->footer : d->main;
    }
    void type(const QString& text);
    bool save(const QString& path);
    bool open(const QString& path);
    void notAvailable(const QString& what) { fail(QStringLiteral("not available: ") + what); }

    std::vector<Document> m_docs;
    int m_active = 0;
    int m_seek = 0;
    Format m_format;
    bool m_atStart = false;
    int m_selectedLines = 0;
    QString m_findText;
    bool m_findMatchCase = false;
    QString m_rangeText; // the text of the range handed out last
    bool m_visible = false;
};

void DocxWordObject::type(const QString& text)
{
    Story& s = story();
    // A line end starts a new paragraph, as typing Enter would.
    const QStringList lines = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n')).split(QLatin1Char('\n'));
    if (m_atStart) {
        std::vector<Paragraph> front;
        for (const QString& line : lines) {
            Paragraph p;
            p.runs.push_back(Run{line, false, m_format, -1, {}});
            front.push_back(p);
        }
        // The last typed line joins the paragraph that was first.
        Paragraph& first = s.paragraphs.front();
        Paragraph& last = front.back();
        last.runs.insert(last.runs.end(), first.runs.begin(), first.runs.end());
        s.paragraphs.erase(s.paragraphs.begin());
        s.paragraphs.insert(s.paragraphs.begin(), front.begin(), front.end());
        return;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i)
            s.paragraphs.push_back(Paragraph{{}, s.paragraphs.back().align, {}});
        if (!lines[i].isEmpty())
            s.paragraphs.back().runs.push_back(Run{lines[i], false, m_format, -1, {}});
    }
}

bool DocxWordObject::open(const QString& path)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return fail(QStringLiteral("not a document: ") + path), false;
    controls::CappedZipReader reader(z);
    QByteArray bytes;
    const qint64 n = reader.checkEntries();
    for (qint64 i = 0; i < n; ++i)
        if (reader.name(uint64_t(i)) == QLatin1String("word/document.xml")) {
            reader.readAll(uint64_t(i), &bytes);
            break;
        }
    zip_close(z);
    pugi::xml_document xml;
    if (bytes.isEmpty() || !xml.load_buffer(bytes.constData(), size_t(bytes.size())))
        return fail(QStringLiteral("not a document: ") + path), false;
    // The text of the paragraphs, in plain runs: what the document says, not how it looked.
    Document d;
    d.path = path;
    d.main.paragraphs.clear();
    for (const pugi::xpath_node& p : xml.select_nodes("//*[local-name()='p']")) {
        Paragraph para;
        QString text;
        for (const pugi::xpath_node& t : p.node().select_nodes(".//*[local-name()='t' or local-name()='tab']"))
            text += std::string(t.node().name()).ends_with("tab") ? QStringLiteral("\t") : QString::fromUtf8(t.node().text().get());
        if (!text.isEmpty())
            para.runs.push_back(Run{text, false, {}, -1, {}});
        d.main.paragraphs.push_back(para);
    }
    if (d.main.paragraphs.empty())
        d.main.paragraphs.emplace_back();
    m_docs.push_back(std::move(d));
    m_active = int(m_docs.size()) - 1;
    return true;
}

bool DocxWordObject::save(const QString& path)
{
    Document* d = doc();
    if (!d)
        return false;
    auto make = [](const char* root) {
        auto x = std::make_unique<pugi::xml_document>();
        pugi::xml_node decl = x->append_child(pugi::node_declaration);
        decl.append_attribute("version") = "1.0";
        decl.append_attribute("encoding") = "UTF-8";
        decl.append_attribute("standalone") = "yes";
        pugi::xml_node r = x->append_child(root);
        r.append_attribute("xmlns:w") = WordNs;
        r.append_attribute("xmlns:r") = RelNs;
        r.append_attribute("xmlns:wp") = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
        return x;
    };
    const bool hasHeader = !d->header.text().isEmpty(), hasFooter = !d->footer.text().isEmpty();
    auto document = make("w:document");
    pugi::xml_node body = document->child("w:document").append_child("w:body");
    writeStory(body, d->main);
    pugi::xml_node sect = body.append_child("w:sectPr");
    if (hasHeader) {
        pugi::xml_node h = sect.append_child("w:headerReference");
        h.append_attribute("w:type") = "default";
        h.append_attribute("r:id") = "rIdHeader";
    }
    if (hasFooter) {
        pugi::xml_node f = sect.append_child("w:footerReference");
        f.append_attribute("w:type") = "default";
        f.append_attribute("r:id") = "rIdFooter";
    }
    const bool letter = d->paper == 1;
    int w = letter ? 12240 : 11906, h = letter ? 15840 : 16838;
    if (d->landscape)
        std::swap(w, h);
    pugi::xml_node size = sect.append_child("w:pgSz");
    size.append_attribute("w:w") = w;
    size.append_attribute("w:h") = h;
    if (d->landscape)
        size.append_attribute("w:orient") = "landscape";
    pugi::xml_node margins = sect.append_child("w:pgMar");
    const char* names[] = {"w:top", "w:bottom", "w:left", "w:right"};
    for (int i = 0; i < 4; ++i)
        margins.append_attribute(names[i]) = int(d->margins[i] * 20);
    margins.append_attribute("w:header") = 720;
    margins.append_attribute("w:footer") = 720;
    margins.append_attribute("w:gutter") = 0;

    std::vector<std::pair<QString, QByteArray>> entries;
    QByteArray types = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                       "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                       "<Override PartName=\"/word/document.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>";
    QByteArray rels = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    if (hasHeader) {
        auto x = make("w:hdr");
        writeStory(x->child("w:hdr"), d->header);
        entries.emplace_back(QStringLiteral("word/header1.xml"), serialise(*x));
        types += "<Override PartName=\"/word/header1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/>";
        rels += "<Relationship Id=\"rIdHeader\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/header\" Target=\"header1.xml\"/>";
    }
    if (hasFooter) {
        auto x = make("w:ftr");
        writeStory(x->child("w:ftr"), d->footer);
        entries.emplace_back(QStringLiteral("word/footer1.xml"), serialise(*x));
        types += "<Override PartName=\"/word/footer1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"/>";
        rels += "<Relationship Id=\"rIdFooter\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" Target=\"footer1.xml\"/>";
    }
    std::set<QString> extensions;
    for (size_t i = 0; i < d->pictures.size(); ++i) {
        const QString name = QStringLiteral("media/picture%1.%2").arg(i + 1).arg(d->pictures[i].extension);
        entries.emplace_back(QStringLiteral("word/") + name, d->pictures[i].bytes);
        rels += "<Relationship Id=\"rIdPicture" + QByteArray::number(qulonglong(i + 1))
                + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/image\" Target=\"" + name.toUtf8() + "\"/>";
        extensions.insert(d->pictures[i].extension);
    }
    for (const QString& e : extensions)
        types += "<Default Extension=\"" + e.toUtf8() + "\" ContentType=\"image/" + e.toUtf8() + "\"/>";
    entries.emplace(entries.begin(), QStringLiteral("word/_rels/document.xml.rels"), rels + "</Relationships>");
    entries.emplace(entries.begin(), QStringLiteral("word/document.xml"), serialise(*document));
    entries.emplace(entries.begin(), QStringLiteral("_rels/.rels"),
                    QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                               "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                               "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"word/document.xml\"/>"
                               "</Relationships>"));
    entries.emplace(entries.begin(), QStringLiteral("[Content_Types].xml"), types + "</Types>");

    vrt::makePrivateFolder(QFileInfo(path).absolutePath());
    const QString temp = path + QStringLiteral(".part");
    QFile::remove(temp);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(temp).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!z)
        return fail(QStringLiteral("cannot write ") + path), false;
    for (const auto& [name, bytes] : entries) {
        zip_source_t* src = zip_source_buffer(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!src || zip_file_add(z, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            if (src)
                zip_source_free(src);
            zip_discard(z);
            QFile::remove(temp);
            return fail(QStringLiteral("cannot write ") + path), false;
        }
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        QFile::remove(temp);
        return fail(QStringLiteral("cannot write ") + path), false;
    }
    vrt::makePrivate(temp);
    // A document saves over its own file; any other existing file is left alone.
    if (QFile::exists(path) && (QFileInfo(path).absoluteFilePath() != QFileInfo(d->path).absoluteFilePath() || !QFile::remove(path))) {
        QFile::remove(temp);
        return fail(QStringLiteral("cannot write ") + path + QStringLiteral(": the file exists")), false;
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        return fail(QStringLiteral("cannot write ") + path), false;
    }
    d->path = path;
    return true;
}

QString DocxWordObject::read(const QString& path)
{
    bool ok = false;
    auto m = parsePath(path, &ok);
    if (!ok || m.empty())
        return fail(QStringLiteral("malformed automation path: ") + path), QString();
    if (m.size() > 1 && m[0].name.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0 && !is(m, {"Application", "Version"}))
        m.erase(m.begin());
    const QString True = QStringLiteral("True");
    if (is(m, {"Application", "Version"}))
        return QStringLiteral("16.0");
    if (is(m, {"Application", "Activate"}) || is(m, {"Activate"}))
        return True;
    if (is(m, {"Visible"}))
        return m_visible ? True : QStringLiteral("False");
    if (is(m, {"Documents", "Add"})) {
        if (!m[1].arg(0).isEmpty()) {
            // A new document with the template's text, saved under a name of its own.
            if (!open(m[1].arg(0)))
                return {};
            m_docs.back().path.clear();
            m_seek = 0, m_atStart = false, m_format = {};
            return QStringLiteral("Document%1").arg(m_docs.size());
        }
        m_docs.emplace_back();
        m_active = int(m_docs.size()) - 1;
        m_seek = 0, m_atStart = false, m_format = {};
        return QStringLiteral("Document%1").arg(m_docs.size());
    }
    if (is(m, {"Documents", "Open"})) {
        if (!m[1].arg(4).isEmpty())
            return notAvailable(QStringLiteral("password-protected documents")), QString();
        return open(m[1].arg(0)) ? True : QString();
    }
    if (is(m, {"Documents", "Count"}))
        return QString::number(m_docs.size());
    if (is(m, {"Documents", "Item", "Name"})) {
        const int n = m[1].arg(0).toInt();
        if (n < 1 || n > int(m_docs.size()))
            return fail(QStringLiteral("no document %1").arg(n)), QString();
        const QString p = m_docs[size_t(n - 1)].path;
        return p.isEmpty() ? QStringLiteral("Document%1").arg(n) : QFileInfo(p).fileName();
    }
    if (is(m, {"Documents", "Activate"}) && m[0].hasArgs) {
        const int n = m[0].arg(0).toInt();
        if (n < 1 || n > int(m_docs.size()))
            return fail(QStringLiteral("no document %1").arg(n)), QString();
        m_active = n - 1;
        return True;
    }
    if (is(m, {"Documents", "Close"})) {
        m_docs.clear();
        return True;
    }
    if (is(m, {"ActiveDocument", "Close"})) {
        if (doc())
            m_docs.erase(m_docs.begin() + m_active);
        m_active = std::max(0, int(m_docs.size()) - 1);
        return True;
    }
    if (is(m, {"ActiveDocument", "SaveAs"})) {
        const long format = m[1].arg(1).toLong();
        if (format != 0 && format != 12 && format != 16)
            return notAvailable(QStringLiteral("documents are written as .docx only")), QString();
        if (!m[1].arg(3).isEmpty() || !m[1].arg(5).isEmpty())
            return notAvailable(QStringLiteral("password-protected documents")), QString();
        return save(m[1].arg(0)) ? True : QString();
    }
    if (is(m, {"ActiveDocument", "Save"})) {
        Document* d = doc();
        if (!d)
            return {};
        if (d->path.isEmpty())
            return fail(QStringLiteral("the document has no file yet")), QString();
        return save(d->path) ? True : QString();
    }
    if (is(m, {"Quit"})) {
        m_docs.clear();
        return True;
    }
    if (!doc())
        return {};
    if (is(m, {"Selection", "TypeText"})) {
        type(m[1].arg(0));
        return True;
    }
    if (is(m, {"Selection", "InsertBreak"})) {
        if (m[1].arg(0).toInt() != 7)
            return notAvailable(QStringLiteral("breaks other than a page break")), QString();
        story().paragraphs.back().runs.push_back(Run{QString(), true, {}, -1, {}});
        return True;
    }
    if (is(m, {"Selection", "InLineShapes", "AddPicture"}) || is(m, {"Selection", "InlineShapes", "AddPicture"})) {
        if (m[2].arg(1) == QLatin1String("1") || m[2].arg(1).compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return notAvailable(QStringLiteral("linked pictures; a picture is kept in the document")), QString();
        QFile file(m[2].arg(0));
        QImageReader reader(m[2].arg(0));
        const QByteArray format = reader.format().toLower();
        const QSize size = reader.size();
        static const std::map<QByteArray, QString> kinds = {{"png", QStringLiteral("png")}, {"jpeg", QStringLiteral("jpeg")},
                                                            {"jpg", QStringLiteral("jpeg")}, {"gif", QStringLiteral("gif")},
                                                            {"bmp", QStringLiteral("bmp")}};
        const auto kind = kinds.find(format);
        // A picture is read whole: a bound keeps a wrong file from filling memory.
        if (kind == kinds.end() || !size.isValid() || file.size() > (qint64(64) << 20) || !file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("not a picture: ") + m[2].arg(0)), QString();
        Document* d = doc();
        d->pictures.push_back(Picture{file.readAll(), kind->second});
        Run r;
        r.picture = int(d->pictures.size()) - 1;
        r.size = size;
        story().paragraphs.back().runs.push_back(r);
        return QStringLiteral("Picture%1").arg(d->pictures.size());
    }
    if (is(m, {"Selection", "HomeKey"}) || is(m, {"Selection", "EndKey"})) {
        if (m[1].arg(0).toInt() != 6)
            return notAvailable(QStringLiteral("moving the cursor by lines")), QString();
        m_atStart = m[1].name.compare(QLatin1String("HomeKey"), Qt::CaseInsensitive) == 0;
        return QStringLiteral("0");
    }
    // The table form: the last lines typed, selected upwards, become a table.
    if (is(m, {"Selection", "MoveUp"}) && m[1].arg(0) == QLatin1String("5") && m[1].arg(2) == QLatin1String("1")) {
        m_selectedLines = m[1].arg(1).toInt();
        return m[1].arg(1);
    }
    if (is(m, {"Selection", "MoveDown"}) && m_selectedLines == 0 && m[1].arg(0) == QLatin1String("5")) {
        m_atStart = false;
        return QStringLiteral("0");
    }
    if (is(m, {"Selection", "ConvertToTable"})) {
        Story& s = story();
        std::vector<Paragraph>& ps = s.paragraphs;
        // A paragraph left empty after the last line typed is no row.
        if (ps.size() > 1 && ps.back().runs.empty() && ps.back().table.empty())
            ps.pop_back();
        const int n = std::min<int>(m_selectedLines, int(ps.size()));
        if (n <= 0)
            return fail(QStringLiteral("no lines selected for a table")), QString();
        Paragraph table;
        for (auto it = ps.end() - n; it != ps.end(); ++it) {
            QString line;
            for (const Run& r : it->runs)
                line += r.text;
            table.table.push_back(line.split(QLatin1Char('\t')));
        }
        ps.erase(ps.end() - n, ps.end());
        ps.push_back(table);
        ps.emplace_back();
        m_selectedLines = 0;
        return True;
    }
    if (is(m, {"Selection", "Cells", "AutoFit"}))
        return True; // tables are written to fit their contents
    if (m.size() >= 2 && m[0].name.compare(QLatin1String("Selection"), Qt::CaseInsensitive) == 0
        && m[1].name.startsWith(QLatin1String("Move"), Qt::CaseInsensitive)) {
        if (is(m, {"Selection", "MoveDown"}))
            return QStringLiteral("0");
        return notAvailable(QStringLiteral("moving the cursor by lines or characters; text is typed at the start or the end")), QString();
    }
    if (is(m, {"Selection", "Find", "ClearFormatting"}))
        return True;
    if (is(m, {"Selection", "Find", "Execute"}))
        return !m_findText.isEmpty() && story().text().contains(m_findText, m_findMatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive)
                   ? QStringLiteral("-1")
                   : QStringLiteral("0");
    if (is(m, {"ActiveDocument", "Content", "Find", "Execute"}) && m[3].args.size() >= 11) {
        const QString what = m[3].arg(0), with = m[3].arg(9);
        if (what.isEmpty())
            return QStringLiteral("0");
        bool any = false;
        for (Paragraph& p : doc()->main.paragraphs) {
            for (Run& r : p.runs)
                if (r.text.contains(what)) {
                    r.text.replace(what, with);
                    any = true;
                }
            for (QStringList& row : p.table)
                for (QString& cell : row)
                    if (cell.contains(what)) {
                        cell.replace(what, with);
                        any = true;
                    }
        }
        return any ? QStringLiteral("-1") : QStringLiteral("0");
    }
    if (is(m, {"ActiveDocument", "Range"})) {
        const QString text = doc()->main.text();
        const int from = m[1].hasArgs ? m[1].arg(0).toInt() : 0;
        const int to = m[1].hasArgs ? m[1].arg(1).toInt() : int(text.size());
        m_rangeText = text.mid(from, std::max(0, to - from));
        return QStringLiteral("Range1");
    }
    if (is(m, {"Range1", "Text"}))
        return m_rangeText;
    if (is(m, {"Selection", "ParagraphFormat", "Alignment"})) {
        const QString a = story().paragraphs.back().align;
        return QString::number(a == QLatin1String("center") ? 1 : a == QLatin1String("right") ? 2 : a == QLatin1String("both") ? 3 : 0);
    }
    if (is(m, {"Selection", "Font", "Bold"}))
        return m_format.bold ? QStringLiteral("-1") : QStringLiteral("0");
    if (is(m, {"Selection", "Font", "Italic"}))
        return m_format.italic ? QStringLiteral("-1") : QStringLiteral("0");
    if (is(m, {"Selection", "Font", "Name"}))
        return m_format.font;
    if (is(m, {"Selection", "Font", "Size"}))
        return QLocale::c().toString(m_format.size > 0 ? m_format.size : 11);
    if (is(m, {"ActiveWindow", "ActivePane", "View", "SeekView"}))
        return QString::number(m_seek);
    notAvailable(QStringLiteral("printing, mail merge, spelling, bookmarks and window views need a running word processor"));
    return {};
}

void DocxWordObject::write(const QString& path, const QVariant& value)
{
    bool ok = false;
    auto m = parsePath(path, &ok);
    if (!ok || m.empty())
        return fail(QStringLiteral("malformed automation path: ") + path);
    if (m.size() > 1 && m[0].name.compare(QLatin1String("Application"), Qt::CaseInsensitive) == 0)
        m.erase(m.begin());
    const QString text = value.toString();
    const long n = toLong(text);
    if (is(m, {"Visible"}))
        return void(m_visible = toFlag(value));
    if (is(m, {"DisplayAlerts"}) || is(m, {"ScreenUpdating"}))
        return;
    if (is(m, {"ActiveWindow", "ActivePane", "View", "SeekView"})) {
        if (n != 0 && n != 9 && n != 10)
            return notAvailable(QStringLiteral("that view"));
        m_seek = int(n);
        return;
    }
    if (!doc())
        return;
    if (is(m, {"Selection", "Font", "Bold"}))
        m_format.bold = toFlag(value);
    else if (is(m, {"Selection", "Font", "Italic"}))
        m_format.italic = toFlag(value);
    else if (is(m, {"Selection", "Font", "Underline"}))
        m_format.underline = toFlag(value);
    else if (is(m, {"Selection", "Font", "Name"}))
        m_format.font = text;
    else if (is(m, {"Selection", "Font", "Size"}))
        m_format.size = QLocale::c().toDouble(text);
    else if (is(m, {"Selection", "Font", "Color"}))
        m_format.colour = QStringLiteral("%1%2%3").arg(n & 0xff, 2, 16, QLatin1Char('0')).arg((n >> 8) & 0xff, 2, 16, QLatin1Char('0')).arg((n >> 16) & 0xff, 2, 16, QLatin1Char('0')).toUpper();
    else if (is(m, {"Selection", "Font", "ColorIndex"}))
        m_format.colour = n >= 1 && n <= 16 ? QString::fromLatin1(IndexColours[n]) : QString();
    else if (is(m, {"Selection", "ParagraphFormat", "Alignment"}))
        story().paragraphs.back().align = n == 1 ? QStringLiteral("center") : n == 2 ? QStringLiteral("right") : n == 3 ? QStringLiteral("both") : QString();
    else if (is(m, {"Selection", "Find", "Text"}))
        m_findText = text;
    else if (is(m, {"Selection", "Find", "MatchCase"}))
        m_findMatchCase = toFlag(value);
    else if (m.size() == 3 && m[0].name.compare(QLatin1String("Selection"), Qt::CaseInsensitive) == 0
             && m[1].name.compare(QLatin1String("Find"), Qt::CaseInsensitive) == 0)
        return; // the other search options: the search finds the text as it stands
    else if (m.size() == 3 && is({m[0], m[1]}, {"ActiveDocument", "PageSetup"})) {
        const QString member = m[2].name.toLower();
        Document* d = doc();
        const char* names[] = {"topmargin", "bottommargin", "leftmargin", "rightmargin"};
        for (int i = 0; i < 4; ++i)
            if (member == QLatin1String(names[i]))
                return void(d->margins[i] = QLocale::c().toDouble(text));
        if (member == QLatin1String("papersize"))
            d->paper = n == 2 ? 1 : 9; // letter or A4
        else if (member == QLatin1String("orientation"))
            d->landscape = n == 1;
        else
            notAvailable(QStringLiteral("that page setting"));
    } else
        notAvailable(QStringLiteral("mail merge, views and options need a running word processor"));
}

} // namespace

AutomationObject* makeWordObject() { return new DocxWordObject; }

} // namespace office
