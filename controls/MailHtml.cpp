#include "controls/MailHtml.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocument>
#include <QUrl>

#include <fcntl.h>
#include <gumbo.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace controls {

namespace {

constexpr qsizetype kMaxAttribute = 4096;
constexpr qsizetype kMaxDataImage = 64 * 1024 * 4 / 3 + 64;
// Nesting the first pass lets through to the parser: its scope checks walk the open
// elements, so unbounded nesting costs it quadratic time (minutes for a 1 MB body).
constexpr int kParserNesting = 4 * kMaxHtmlNesting;

bool isOneOf(QStringView name, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

bool isVoidElement(QStringView name)
{
    return isOneOf(name, {"area", "base", "basefont", "br", "col", "embed", "frame", "hr", "img", "input",
                          "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

// Elements whose content is never markup, and which go with all of it.
bool isDroppedRawText(QStringView name)
{
    return isOneOf(name, {"script", "noscript", "iframe", "noembed", "noframes", "textarea", "title"});
}

// An element that opens while `top` is open closes `top` first, so runs of paragraphs, items
// or cells do not count as nesting.
bool closesImplicitly(QStringView opening, QStringView top)
{
    if (top == QLatin1String("p"))
        return isOneOf(opening, {"p", "div", "table", "ul", "ol", "dl", "pre", "blockquote", "h1", "h2", "h3",
                                 "h4", "h5", "h6", "hr", "form", "address", "center"});
    if (opening == QLatin1String("li"))
        return top == QLatin1String("li");
    if (isOneOf(opening, {"dt", "dd"}))
        return isOneOf(top, {"dt", "dd"});
    if (isOneOf(opening, {"td", "th"}))
        return isOneOf(top, {"td", "th"});
    if (opening == QLatin1String("tr"))
        return isOneOf(top, {"td", "th", "tr"});
    if (opening == QLatin1String("option"))
        return top == QLatin1String("option");
    return false;
}

bool isTablePart(QStringView name)
{
    return isOneOf(name, {"table", "tbody", "thead", "tfoot", "tr", "td", "th", "caption"});
}

// An end tag closes an open element only when nothing between holds it back, as in the parser:
// otherwise the parser ignores it, and counting it closed would let nesting through.
bool holdsBack(QStringView open, QStringView closing)
{
    if (isTablePart(closing))
        return isOneOf(open, {"html", "table", "template"});
    return isOneOf(open, {"applet", "caption", "html", "table", "td", "th", "marquee", "object", "template"});
}

void appendEscaped(QString& out, QStringView text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char('<'))
            out += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            out += QLatin1String("&gt;");
        else if (c == QLatin1Char('"'))
            out += QLatin1String("&quot;");
        else
            out += c; // '&' stays: character references mean what they meant
    }
}

bool isNameChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_')
           || c == QLatin1Char(':') || c == QLatin1Char('.');
}

// The first pass: the markup tokenized once, in linear time, and written again in a form that
// reads one way only (no comment, no stray '<', every attribute quoted), with element nesting
// cut at `maxDepth`. The parser then builds the tree from that.
class BoundedMarkup {
public:
    BoundedMarkup(const QString& html, int maxDepth) : m_in(html), m_all(html), m_n(html.size()), m_maxDepth(maxDepth) {}

    QString run()
    {
        m_out.reserve(m_n);
        while (m_i < m_n) {
            const qsizetype lt = m_in.indexOf(QLatin1Char('<'), m_i);
            const qsizetype stop = lt < 0 ? m_n : lt;
            appendEscaped(m_out, m_all.mid(m_i, stop - m_i));
            m_i = stop;
            if (m_i < m_n)
                markup();
        }
        return std::move(m_out);
    }

private:
    QChar at(qsizetype k) const { return k < m_n ? m_in.at(k) : QChar(); }
    bool isSpace(QChar c) const { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f'; }
    qsizetype after(QStringView end, qsizetype from, Qt::CaseSensitivity cs = Qt::CaseSensitive) const
    {
        const qsizetype k = m_in.indexOf(end, from, cs);
        return k < 0 ? m_n : k + end.size();
    }

    void markup()
    {
        const QChar next = at(m_i + 1);
        if (m_all.mid(m_i, 4) == QLatin1String("<!--")) {
            // "<!-->" and "<!--->" end where they start.
            if (at(m_i + 4) == u'>')
                m_i += 5;
            else if (m_all.mid(m_i + 4, 2) == QLatin1String("->"))
                m_i += 6;
            else
                m_i = after(u"-->", m_i + 4);
            return;
        }
        if (next == u'/' && at(m_i + 2).isLetter()) {
            const QString name = tagName(m_i + 2);
            m_i = after(u">", m_i);
            endTag(name);
            return;
        }
        if (next == u'!' || next == u'?' || next == u'/') {
            m_i = after(u">", m_i + 1); // doctype, processing instruction, bogus comment
            return;
        }
        if (!next.isLetter()) {
            m_out += QLatin1String("&lt;");
            ++m_i;
            return;
        }
        startTag();
    }

    QString tagName(qsizetype from)
    {
        qsizetype k = from;
        while (k < m_n && !isSpace(m_in.at(k)) && m_in.at(k) != u'/' && m_in.at(k) != u'>')
            ++k;
        m_i = k;
        return m_in.mid(from, k - from).toLower();
    }

    void startTag()
    {
        const QString name = tagName(m_i + 1);
        QString attributes;
        for (;;) {
            while (m_i < m_n && (isSpace(m_in.at(m_i)) || m_in.at(m_i) == u'/'))
                ++m_i;
            if (m_i >= m_n)
                break;
            if (m_in.at(m_i) == u'>') {
                ++m_i;
                break;
            }
            const qsizetype nameStart = m_i++; // a first '=' belongs to the name
            while (m_i < m_n && !isSpace(m_in.at(m_i)) && m_in.at(m_i) != u'/' && m_in.at(m_i) != u'>' && m_in.at(m_i) != u'=')
                ++m_i;
            const QStringView attribute = m_all.mid(nameStart, m_i - nameStart);
            while (m_i < m_n && isSpace(m_in.at(m_i)))
                ++m_i;
            QStringView value;
            if (at(m_i) == u'=') {
                ++m_i;
                while (m_i < m_n && isSpace(m_in.at(m_i)))
                    ++m_i;
                const QChar quote = at(m_i);
                if (quote == u'"' || quote == u'\'') {
                    const qsizetype end = m_in.indexOf(quote, m_i + 1);
                    const qsizetype stop = end < 0 ? m_n : end;
                    value = m_all.mid(m_i + 1, stop - m_i - 1);
                    m_i = stop < m_n ? stop + 1 : m_n;
                } else {
                    const qsizetype from = m_i;
                    while (m_i < m_n && !isSpace(m_in.at(m_i)) && m_in.at(m_i) != u'>')
                        ++m_i;
                    value = m_all.mid(from, m_i - from);
                }
            }
            if (attribute.size() > 64 || value.size() > kMaxAttribute
                || !std::all_of(attribute.begin(), attribute.end(), isNameChar))
                continue;
            attributes += u' ';
            attributes += attribute;
            attributes += QLatin1String("=\"");
            appendEscaped(attributes, value);
            attributes += u'"';
        }
        if (name.size() > 32 || !std::all_of(name.begin(), name.end(), isNameChar))
            return;
        if (isDroppedRawText(name)) {
            m_i = after(QString(QLatin1String("</") + name), m_i, Qt::CaseInsensitive);
            m_i = after(u">", m_i);
            return;
        }
        if (name == QLatin1String("plaintext") || name == QLatin1String("xmp")) {
            const qsizetype end = name == QLatin1String("xmp") ? m_in.indexOf(QLatin1String("</xmp"), m_i, Qt::CaseInsensitive) : -1;
            const qsizetype stop = end < 0 ? m_n : end;
            appendEscaped(m_out, m_all.mid(m_i, stop - m_i));
            m_i = stop < m_n ? after(u">", stop) : m_n;
            return;
        }
        if (name == QLatin1String("style")) {
            // The rules whole, with no '<' that could end them early.
            const qsizetype end = m_in.indexOf(QLatin1String("</style"), m_i, Qt::CaseInsensitive);
            const qsizetype stop = end < 0 ? m_n : end;
            m_out += QLatin1String("<style>");
            m_out += m_all.mid(m_i, stop - m_i).toString().replace(u'<', u' ');
            m_out += QLatin1String("</style>");
            m_i = stop < m_n ? after(u">", stop) : m_n;
            return;
        }
        if (isVoidElement(name)) {
            m_out += u'<' + name + attributes + u'>';
            return;
        }
        while (!m_open.empty() && closesImplicitly(name, m_open.back()))
            m_open.pop_back();
        if (int(m_open.size()) >= m_maxDepth)
            return;
        m_open.push_back(name);
        m_out += u'<' + name + attributes + u'>';
    }

    void endTag(const QString& name)
    {
        for (auto k = m_open.size(); k-- > 0;) {
            if (m_open[k] == name) {
                m_open.resize(k);
                m_out += QLatin1String("</") + name + u'>';
                return;
            }
            if (holdsBack(m_open[k], name))
                return;
        }
    }

    const QString& m_in;
    const QStringView m_all;
    const qsizetype m_n;
    const int m_maxDepth;
    qsizetype m_i = 0;
    QString m_out;
    std::vector<QString> m_open;
};

// ---- the safe subset ----------------------------------------------------------------------

enum class Kind { Keep, Unwrap, Drop };

Kind kindOf(QStringView tag)
{
    if (isOneOf(tag, {"a", "abbr", "address", "b", "big", "blockquote", "br", "caption", "center", "cite", "code", "dd",
                      "del", "dfn", "div", "dl", "dt", "em", "font", "h1", "h2", "h3", "h4", "h5", "h6", "hr", "i",
                      "img", "ins", "kbd", "li", "nobr", "ol", "p", "pre", "q", "s", "samp", "small", "span", "strike",
                      "strong", "sub", "sup", "table", "tbody", "td", "tfoot", "th", "thead", "tr", "tt", "u", "ul",
                      "var"}))
        return Kind::Keep;
    if (isOneOf(tag, {"script", "noscript", "iframe", "object", "embed", "applet", "frame", "frameset", "template",
                      "svg", "math", "title", "select", "textarea", "audio", "video", "canvas", "map", "noembed",
                      "noframes", "input", "option", "datalist", "link", "meta", "base", "param", "source", "track"}))
        return Kind::Drop;
    return Kind::Unwrap;
}

// What a flattened element leaves between its text and the next.
QLatin1String separatorOf(QStringView tag)
{
    if (isOneOf(tag, {"td", "th"}))
        return QLatin1String(" ");
    if (isOneOf(tag, {"tr", "p", "div", "li", "dt", "dd", "blockquote", "pre", "address", "table", "caption", "h1", "h2",
                      "h3", "h4", "h5", "h6", "center", "ul", "ol", "dl"}))
        return QLatin1String("<br>");
    return QLatin1String("");
}

bool isAllowedAttribute(QStringView name)
{
    return isOneOf(name, {"align", "valign", "bgcolor", "color", "face", "size", "width", "height", "border",
                          "cellpadding", "cellspacing", "colspan", "rowspan", "dir", "start", "type", "value", "alt",
                          "title", "class", "id", "name", "nowrap", "lang"});
}

// Style text without anything that loads: comments and escapes go first (they could spell
// "url" otherwise), then every declaration or rule head naming an address.
QString safeCss(QString css)
{
    static const QRegularExpression comment(QStringLiteral("/\\*.*?(\\*/|$)"), QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression loads(
        QStringLiteral("[^;{}]*(url\\s*\\(|image-set|image\\s*\\(|@import|expression|behavior|binding|src\\s*:)[^;{}]*;?"),
        QRegularExpression::CaseInsensitiveOption);
    css.remove(comment);
    css.remove(u'\\');
    css.remove(loads);
    return css.replace(u'<', u' ').trimmed();
}

class SafeWriter {
public:
    explicit SafeWriter(const MailHtmlRules& rules)
        : m_rules(rules), m_folder(rules.folder.isEmpty() ? QString() : QFileInfo(rules.folder).canonicalFilePath())
    {
    }

    QString write(GumboNode* root)
    {
        struct Frame {
            GumboNode* node;
            unsigned next;
            QString close; // written after the children
            int depth;     // kept elements above and including this one
            bool flat;     // beneath an element that lost its tags for depth
            int tables = 0; // kept tables above and including this one
        };
        m_out += QLatin1String("<html>");
        std::vector<Frame> stack{{root, 0, QString(), 0, false, 0}};
        while (!stack.empty()) {
            Frame& f = stack.back();
            const GumboVector* children = f.node->type == GUMBO_NODE_ELEMENT || f.node->type == GUMBO_NODE_TEMPLATE
                                              ? &f.node->v.element.children
                                              : &f.node->v.document.children;
            if (f.next >= children->length || m_full) {
                m_out += f.close;
                stack.pop_back();
                continue;
            }
            GumboNode* child = static_cast<GumboNode*>(children->data[f.next++]);
            const int depth = f.depth;
            const bool flat = f.flat;
            const int tables = f.tables;
            switch (child->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_CDATA:
            case GUMBO_NODE_WHITESPACE:
                text(QString::fromUtf8(child->v.text.text));
                continue;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE:
                break;
            default:
                continue;
            }
            const GumboElement& e = child->v.element;
            const QString tag = QString::fromLatin1(gumbo_normalized_tagname(e.tag));
            if (e.tag == GUMBO_TAG_HTML || e.tag == GUMBO_TAG_HEAD) {
                stack.push_back({child, 0, QString(), depth, flat, tables});
                continue;
            }
            if (e.tag == GUMBO_TAG_BODY) {
                m_out += QLatin1String("<body") + attributes(e) + u'>';
                stack.push_back({child, 0, QStringLiteral("</body>"), depth, flat, tables});
                continue;
            }
            if (e.tag == GUMBO_TAG_STYLE) {
                style(e);
                continue;
            }
            const Kind kind = e.tag == GUMBO_TAG_UNKNOWN ? Kind::Unwrap : kindOf(tag);
            if (kind == Kind::Drop)
                continue;
            if (e.tag == GUMBO_TAG_BR || e.tag == GUMBO_TAG_HR) {
                m_out += u'<' + tag + u'>';
                continue;
            }
            if (e.tag == GUMBO_TAG_IMG) {
                const QString src = imageSource(attribute(e, "src"));
                if (!src.isEmpty())
                    m_out += QLatin1String("<img src=\"") + src.toHtmlEscaped() + u'"' + attributes(e) + u'>';
                continue;
            }
            if (kind == Kind::Unwrap) {
                stack.push_back({child, 0, QString(), depth, flat, tables});
                continue;
            }
            // A table keeps its tags only where its body, rows and cells fit under the limit,
            // within kMaxTableNesting tables (each level doubles the layout's work) and while
            // the mail has had fewer than kMaxTables.
            const bool table = e.tag == GUMBO_TAG_TABLE;
            if (flat || depth + 1 + (table ? 3 : 0) > kMaxHtmlNesting
                || (table && (tables >= kMaxTableNesting || m_tables >= kMaxTables))) {
                stack.push_back({child, 0, QString(separatorOf(tag)), depth, true, tables});
                continue;
            }
            m_out += u'<' + tag + attributes(e) + u'>';
            m_tables += table ? 1 : 0;
            stack.push_back({child, 0, QLatin1String("</") + tag + u'>', depth + 1, false, tables + (table ? 1 : 0)});
        }
        m_out += QLatin1String("</html>");
        return std::move(m_out);
    }

private:
    static QString attribute(const GumboElement& e, const char* name)
    {
        const GumboAttribute* a = gumbo_get_attribute(&e.attributes, name);
        return a ? QString::fromUtf8(a->value) : QString();
    }

    void text(const QString& t)
    {
        if (m_text + t.size() > kMaxMailHtmlText) {
            m_out += t.left(kMaxMailHtmlText - m_text).toHtmlEscaped();
            m_out += QLatin1String("<p><i>[…]</i></p>");
            m_full = true;
            return;
        }
        m_text += t.size();
        m_out += t.toHtmlEscaped();
    }

    void style(const GumboElement& e)
    {
        QString css;
        for (unsigned k = 0; k < e.children.length; ++k) {
            const GumboNode* n = static_cast<const GumboNode*>(e.children.data[k]);
            if (n->type == GUMBO_NODE_TEXT || n->type == GUMBO_NODE_WHITESPACE || n->type == GUMBO_NODE_CDATA)
                css += QString::fromUtf8(n->v.text.text);
        }
        css = safeCss(css);
        if (!css.isEmpty())
            m_out += QLatin1String("<style>") + css + QLatin1String("</style>");
    }

    QString attributes(const GumboElement& e)
    {
        QString out;
        for (unsigned k = 0; k < e.attributes.length; ++k) {
            const GumboAttribute* a = static_cast<const GumboAttribute*>(e.attributes.data[k]);
            const QString name = QString::fromUtf8(a->name);
            QString value = QString::fromUtf8(a->value);
            if (name == QLatin1String("style"))
                value = safeCss(value);
            else if (name == QLatin1String("background"))
                value = imageSource(value);
            else if (name == QLatin1String("href") && e.tag == GUMBO_TAG_A)
                value = link(value);
            else if (!isAllowedAttribute(name))
                continue;
            if (!value.isEmpty() || name == QLatin1String("alt"))
                out += u' ' + name + QLatin1String("=\"") + value.toHtmlEscaped() + u'"';
        }
        return out;
    }

    // The local file `value` names, as an absolute address, when it is a regular file inside
    // the message's folder; else nothing.
    QString localFile(const QString& value) const
    {
        if (m_folder.isEmpty())
            return {};
        const QUrl url(value);
        if (!url.isValid() || value.startsWith(QLatin1String("//")))
            return {};
        QString path;
        if (url.isLocalFile())
            path = url.toLocalFile();
        else if (url.scheme().isEmpty())
            path = QUrl::fromLocalFile(m_folder + u'/').resolved(url).toLocalFile();
        if (path.isEmpty())
            return {};
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.startsWith(m_folder + u'/'))
            return {};
        struct stat st {};
        if (::stat(QFile::encodeName(canonical).constData(), &st) != 0 || !S_ISREG(st.st_mode)
            || st.st_size > kMaxPreviewBytes)
            return {};
        return QUrl::fromLocalFile(canonical).toString(QUrl::FullyEncoded);
    }

    QString imageSource(const QString& raw) const
    {
        const QString value = raw.trimmed();
        if (m_rules.dataImages && value.startsWith(QLatin1String("data:image/"), Qt::CaseInsensitive)
            && value.size() <= kMaxDataImage)
            return value;
        return localFile(value);
    }

    QString link(const QString& raw) const
    {
        const QString value = raw.trimmed();
        if (value.startsWith(u'#'))
            return value;
        const QString scheme = QUrl(value).scheme().toLower();
        if (isOneOf(scheme, {"http", "https", "mailto"}))
            return value;
        return localFile(value);
    }

    const MailHtmlRules& m_rules;
    const QString m_folder;
    QString m_out;
    qsizetype m_text = 0;
    int m_tables = 0;
    bool m_full = false;
};

} // namespace

QString safeMailHtml(const QString& html, const MailHtmlRules& rules)
{
    const QByteArray bounded = BoundedMarkup(html, kParserNesting).run().toUtf8();
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    GumboOutput* parsed = gumbo_parse_with_options(&options, bounded.constData(), size_t(bounded.size()));
    if (!parsed)
        return {};
    QString out = SafeWriter(rules).write(parsed->document);
    gumbo_destroy_output(&options, parsed);
    return out;
}

QString decodeMailHtml(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder declared = QStringDecoder::decoderForHtml(bytes);
    if (declared.isValid() && QLatin1String(declared.name()).compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) != 0)
        return declared.decode(bytes);
    return QString::fromLatin1(bytes);
}

QString mailHtmlToPlainText(const QString& html)
{
    QTextDocument doc;
    doc.setHtml(safeMailHtml(html));
    return doc.toPlainText();
}

std::optional<QByteArray> readFileInside(const QString& folder, const QString& path, qint64 cap)
{
    if (folder.isEmpty())
        return std::nullopt;
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || !canonical.startsWith(folder + QLatin1Char('/')))
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(canonical).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= cap) {
        QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t r = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            got += r;
        }
        bytes.truncate(got);
        out = std::move(bytes);
    }
    ::close(fd);
    return out;
}

} // namespace controls
