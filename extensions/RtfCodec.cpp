#include "extensions/RtfCodec.h"

#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <vector>

namespace ext::rtf {

namespace {

int twips(qreal points)
{
    return int(std::lround(points * 20));
}

QString familyOf(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    return families.isEmpty() ? QString() : families.front();
}

// The upper halves of the two Windows code pages RTF files here come in (Croatian and West
// European); bytes of other code pages are read as Latin-1.
const char16_t kCp1250[128] = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0xFFFD, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};
const char16_t kCp1252[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

QChar fromCodePage(int codePage, int byte)
{
    if (byte < 0x80)
        return QChar(byte);
    if (codePage == 1250)
        return QChar(kCp1250[byte - 0x80]);
    if (codePage == 1252 && byte < 0xA0)
        return QChar(kCp1252[byte - 0x80]);
    return QChar(byte);
}

// ---- writing ------------------------------------------------------------------------------

class Writer {
public:
    explicit Writer(const QTextDocument& doc) : m_doc(doc) {}

    QByteArray run()
    {
        const QString defaultFamily = m_doc.defaultFont().family();
        font(defaultFamily);
        QByteArray body;
        for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
            body += paragraph(block);
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (fragment.isValid())
                    body += run(fragment.charFormat(), fragment.text());
            }
            if (block.next().isValid())
                body += "\\par\n";
        }
        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (size_t i = 0; i < m_fonts.size(); ++i)
            out += "{\\f" + QByteArray::number(qsizetype(i)) + "\\fnil " + text(m_fonts[i]) + ";}";
        out += "}\n{\\colortbl;";
        for (const QColor& c : m_colours)
            out += "\\red" + QByteArray::number(c.red()) + "\\green" + QByteArray::number(c.green()) + "\\blue" +
                   QByteArray::number(c.blue()) + ";";
        out += "}\n" + body + "}\n";
        return out;
    }

private:
    int font(const QString& family)
    {
        for (size_t i = 0; i < m_fonts.size(); ++i)
            if (m_fonts[i] == family)
                return int(i);
        m_fonts.push_back(family);
        return int(m_fonts.size()) - 1;
    }
    int colour(const QColor& c)
    {
        for (size_t i = 0; i < m_colours.size(); ++i)
            if (m_colours[i].rgb() == c.rgb())
                return int(i) + 1;
        m_colours.push_back(c);
        return int(m_colours.size());
    }

    static QByteArray text(const QString& s)
    {
        QByteArray out;
        for (const QChar ch : s) {
            const ushort u = ch.unicode();
            if (ch == QLatin1Char('\\') || ch == QLatin1Char('{') || ch == QLatin1Char('}')) {
                out += '\\';
                out += char(u);
            } else if (ch == QLatin1Char('\t')) {
                out += "\\tab ";
            } else if (ch == QChar::LineSeparator || ch == QLatin1Char('\n')) {
                out += "\\line ";
            } else if (ch == QChar::Nbsp) {
                out += "\\~";
            } else if (u >= 0x20 && u < 0x80) {
                out += char(u);
            } else if (u >= 0x20 && u != 0xFFFC) { // an object's place holds no text
                out += "\\u" + QByteArray::number(qint16(u)) + "?";
            }
        }
        return out;
    }

    QByteArray paragraph(const QTextBlock& block)
    {
        const QTextBlockFormat f = block.blockFormat();
        QByteArray out = "\\pard";
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter)
            out += "\\qc";
        else if (a & Qt::AlignRight)
            out += "\\qr";
        else if (a & Qt::AlignJustify)
            out += "\\qj";
        else
            out += "\\ql";
        if (f.textIndent() != 0)
            out += "\\fi" + QByteArray::number(twips(f.textIndent()));
        if (f.leftMargin() != 0)
            out += "\\li" + QByteArray::number(twips(f.leftMargin()));
        if (f.rightMargin() != 0)
            out += "\\ri" + QByteArray::number(twips(f.rightMargin()));
        for (const QTextOption::Tab& tab : f.tabPositions()) {
            if (tab.type == QTextOption::RightTab)
                out += "\\tqr";
            else if (tab.type == QTextOption::CenterTab)
                out += "\\tqc";
            else if (tab.type == QTextOption::DelimiterTab)
                out += "\\tqdec";
            out += "\\tx" + QByteArray::number(twips(tab.position));
        }
        QByteArray groups;
        if (QTextList* list = block.textList()) {
            const auto style = list->format().style();
            const bool numbered = style == QTextListFormat::ListDecimal;
            const QByteArray symbol = style == QTextListFormat::ListCircle ? "o" : style == QTextListFormat::ListSquare ? "\\'a7" : "\\'b7";
            if (numbered)
                groups += "{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta.}}";
            else
                groups += "{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb" + symbol + "}}";
            groups += "{\\*\\vlvelist" + QByteArray::number(int(style)) + "}"; // the exact style, for this reader
        }
        // The groups end the paragraph's words; without them a blank does.
        return groups.isEmpty() ? out + " " : out + groups;
    }

    QByteArray run(const QTextCharFormat& f, const QString& s)
    {
        QByteArray out = "{";
        const QString family = familyOf(f);
        out += "\\f" + QByteArray::number(font(family.isEmpty() ? m_doc.defaultFont().family() : family));
        const qreal size = f.fontPointSize() > 0 ? f.fontPointSize() : m_doc.defaultFont().pointSizeF();
        out += "\\fs" + QByteArray::number(int(std::lround(size * 2)));
        if (f.fontWeight() >= QFont::Bold)
            out += "\\b";
        if (f.fontItalic())
            out += "\\i";
        if (f.fontUnderline())
            out += "\\ul";
        if (f.fontStrikeOut())
            out += "\\strike";
        if (f.foreground().style() != Qt::NoBrush)
            out += "\\cf" + QByteArray::number(colour(f.foreground().color()));
        if (f.background().style() != Qt::NoBrush)
            out += "\\highlight" + QByteArray::number(colour(f.background().color()));
        return out + " " + text(s) + "}";
    }

    const QTextDocument& m_doc;
    std::vector<QString> m_fonts;
    std::vector<QColor> m_colours;
};

// ---- reading ------------------------------------------------------------------------------

struct State {
    int font = -1;
    qreal size = 12;
    bool bold = false, italic = false, underline = false, strike = false;
    int fg = 0, bg = 0;
    int uc = 1;
    bool skip = false;             // a destination whose text is not the document's
    enum class Dest { Text, Fonts, Colours, Skip } dest = Dest::Text;
    // Paragraph
    Qt::Alignment align = Qt::AlignLeft;
    qreal fi = 0, li = 0, ri = 0;
    QList<QTextOption::Tab> tabs;
    QTextOption::TabType nextTab = QTextOption::LeftTab;
    int list = 0;                  // 0 none, else a QTextListFormat::Style (negative values)
};

class Reader {
public:
    Reader(const QByteArray& data, QTextDocument& doc, QStringList* warnings)
        : m_data(data), m_doc(doc), m_warnings(warnings), m_cursor(&doc)
    {
    }

    bool run()
    {
        if (!m_data.trimmed().startsWith("{\\rtf"))
            return false;
        m_doc.clear();
        m_cursor = QTextCursor(&m_doc);
        m_stack.push_back(State());
        size_t i = 0;
        while (i < size_t(m_data.size())) {
            const char c = m_data[qsizetype(i)];
            if (c == '{') {
                flushText();
                m_stack.push_back(m_stack.back());
                ++i;
            } else if (c == '}') {
                flushText();
                const State closed = m_stack.back();
                if (m_stack.size() > 1)
                    m_stack.pop_back();
                if (closed.dest == State::Dest::Fonts && !m_fontName.trimmed().isEmpty())
                    endFont(); // an entry without its closing semicolon
                // Paragraph properties outlive the group they were set in until \pard.
                keepParagraph(closed);
                ++i;
            } else if (c == '\\') {
                i = control(i + 1);
            } else if (c == '\r' || c == '\n') {
                ++i;
            } else {
                addChar(QChar(uchar(c)));
                ++i;
            }
        }
        flushText();
        applyBlock();
        // A closing \par ends the last paragraph; it starts no empty one.
        if (m_cursor.block().length() <= 1 && m_doc.blockCount() > 1 && m_endedWithPar)
            m_cursor.deletePreviousChar();
        if (!m_unknown.empty() && m_warnings)
            *m_warnings << QStringLiteral("Passed over: ") + QStringList(m_unknown.begin(), m_unknown.end()).join(' ');
        return true;
    }

private:
    State& st() { return m_stack.back(); }

    // A font of the East European character set (238) reads its bytes as code page 1250.
    int codePage() const
    {
        const auto charset = m_fontCharsets.find(m_stack.back().font);
        if (charset != m_fontCharsets.end() && charset->second == 238)
            return 1250;
        return m_codePage;
    }

    void keepParagraph(const State& closed)
    {
        State& s = st();
        s.align = closed.align;
        s.fi = closed.fi;
        s.li = closed.li;
        s.ri = closed.ri;
        s.tabs = closed.tabs;
        s.list = closed.list;
    }

    void addChar(QChar ch)
    {
        const State& s = st();
        if (s.dest == State::Dest::Fonts) {
            if (ch != QLatin1Char(';'))
                m_fontName += ch;
            else
                endFont();
            return;
        }
        if (s.dest == State::Dest::Colours) {
            if (ch == QLatin1Char(';')) {
                m_colours.push_back(m_colourSet ? m_colour : QColor());
                m_colour = QColor(0, 0, 0);
                m_colourSet = false;
            }
            return;
        }
        if (s.dest != State::Dest::Text || s.skip)
            return;
        m_endedWithPar = false;
        if (m_skipChars > 0) { // the stand-in after \uN
            --m_skipChars;
            return;
        }
        m_text += ch;
    }

    void endFont()
    {
        if (m_fontNumber >= 0)
            m_fonts[m_fontNumber] = m_fontName.trimmed();
        m_fontNumber = -1;
        m_fontName.clear();
    }

    QTextCharFormat charFormat() const
    {
        const State& s = m_stack.back();
        QTextCharFormat f;
        const auto font = m_fonts.find(s.font);
        if (font != m_fonts.end() && !font->second.isEmpty())
            f.setFontFamilies(QStringList{font->second});
        f.setFontPointSize(s.size);
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        f.setFontStrikeOut(s.strike);
        // Entry 0 of the colour table is the automatic colour (an empty entry).
        if (s.fg > 0 && s.fg < int(m_colours.size()) && m_colours[size_t(s.fg)].isValid())
            f.setForeground(m_colours[size_t(s.fg)]);
        if (s.bg > 0 && s.bg < int(m_colours.size()) && m_colours[size_t(s.bg)].isValid())
            f.setBackground(m_colours[size_t(s.bg)]);
        return f;
    }

    void flushText()
    {
        if (m_text.isEmpty())
            return;
        m_cursor.insertText(m_text, charFormat());
        m_text.clear();
    }

    void applyBlock()
    {
        const State& s = st();
        QTextBlockFormat f;
        f.setAlignment(s.align);
        f.setTextIndent(s.fi);
        f.setLeftMargin(s.li);
        f.setRightMargin(s.ri);
        f.setTabPositions(s.tabs);
        m_cursor.setBlockFormat(f);
        if (s.list != 0) {
            // Joining a list keeps the paragraph's own format (merged, so the list stays).
            QTextBlock previous = m_cursor.block().previous();
            QTextList* list = previous.isValid() ? previous.textList() : nullptr;
            if (list && int(list->format().style()) == s.list) {
                list->add(m_cursor.block());
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::Style(s.list));
                m_cursor.createList(lf);
            }
            m_cursor.mergeBlockFormat(f);
        }
    }

    void paragraphEnd()
    {
        m_endedWithPar = true;
        flushText();
        applyBlock();
        m_cursor.insertBlock(QTextBlockFormat(), charFormat());
    }

    size_t control(size_t i)
    {
        const qsizetype n = m_data.size();
        if (i >= size_t(n))
            return i;
        const char c = m_data[qsizetype(i)];
        if (!std::isalpha(uchar(c))) {
            switch (c) {
            case '\\': case '{': case '}': addChar(QChar(uchar(c))); return i + 1;
            case '~': addChar(QChar::Nbsp); return i + 1;
            case '_': addChar(QChar(0x2011)); return i + 1;
            case '-': return i + 1;
            case '*':
                st().dest = State::Dest::Skip; // an optional destination
                m_starred = true;
                return i + 1;
            case '\'': {
                if (i + 2 < size_t(n)) {
                    bool ok = false;
                    const int v = m_data.mid(qsizetype(i) + 1, 2).toInt(&ok, 16);
                    if (ok)
                        addChar(fromCodePage(codePage(), v));
                }
                return i + 3;
            }
            case '\r': case '\n': paragraphEnd(); return i + 1;
            default: return i + 1;
            }
        }
        size_t j = i;
        while (j < size_t(n) && std::isalpha(uchar(m_data[qsizetype(j)])))
            ++j;
        const QByteArray word = m_data.mid(qsizetype(i), qsizetype(j - i));
        bool hasNumber = false;
        int number = 0;
        size_t k = j;
        if (k < size_t(n) && (m_data[qsizetype(k)] == '-' || std::isdigit(uchar(m_data[qsizetype(k)])))) {
            ++k;
            while (k < size_t(n) && std::isdigit(uchar(m_data[qsizetype(k)])))
                ++k;
            number = m_data.mid(qsizetype(j), qsizetype(k - j)).toInt(&hasNumber);
            j = k;
        }
        if (j < size_t(n) && m_data[qsizetype(j)] == ' ')
            ++j;
        controlWord(word, hasNumber, number);
        return j;
    }

    void controlWord(const QByteArray& w, bool has, int n)
    {
        State& s = st();
        const bool starred = m_starred;
        m_starred = false;
        if (w == "fonttbl") { s.dest = State::Dest::Fonts; return; }
        if (w == "colortbl") { s.dest = State::Dest::Colours; m_colour = QColor(0, 0, 0); m_colourSet = false; return; }
        if (w == "pn") {  // a list's description: read its kind, not its text
            s.dest = State::Dest::Skip;
            return;
        }
        if (w == "pnlvlblt") { s.list = int(QTextListFormat::ListDisc); return; }
        if (w == "pnlvlbody" || w == "pndec") { s.list = int(QTextListFormat::ListDecimal); return; }
        if (w == "vlvelist" && has) { s.list = n; return; }
        if (w == "pntext") { s.skip = true; return; }
        if (w == "ansicpg" && has) { m_codePage = n; return; }
        if (s.dest == State::Dest::Fonts) {
            if (w == "f" && has) { endFont(); m_fontNumber = n; }
            if (w == "fcharset" && has && m_fontNumber >= 0)
                m_fontCharsets[m_fontNumber] = n;
            return;
        }
        if (s.dest == State::Dest::Colours) {
            if (w == "red") { m_colour.setRed(n); m_colourSet = true; }
            else if (w == "green") { m_colour.setGreen(n); m_colourSet = true; }
            else if (w == "blue") { m_colour.setBlue(n); m_colourSet = true; }
            return;
        }
        if (starred || w == "stylesheet" || w == "info" || w == "pict" || w == "object" || w == "header" ||
            w == "footer" || w == "footnote" || w == "listtable" || w == "listoverridetable" || w == "themedata" ||
            w == "xmlnstbl" || w == "generator" || w == "field" || w == "fldinst") {
            if (!starred)
                m_unknown.insert(QString::fromLatin1(w));
            s.dest = State::Dest::Skip;
            return;
        }
        if (w == "par") { paragraphEnd(); return; }
        if (w == "line") { addChar(QChar::LineSeparator); return; }
        if (w == "tab") { addChar(QLatin1Char('\t')); return; }
        if (w == "u" && has) {
            addChar(QChar(char16_t(n < 0 ? n + 65536 : n)));
            m_skipChars = s.uc;
            return;
        }
        if (w == "uc") { s.uc = has ? n : 1; return; }
        if (w == "pard") {
            flushText();
            s.align = Qt::AlignLeft;
            s.fi = s.li = s.ri = 0;
            s.tabs.clear();
            s.list = 0;
            return;
        }
        if (w == "plain") {
            flushText();
            s.bold = s.italic = s.underline = s.strike = false;
            s.fg = s.bg = 0;
            s.size = 12;
            return;
        }
        if (w == "ql") { s.align = Qt::AlignLeft; return; }
        if (w == "qc") { s.align = Qt::AlignHCenter; return; }
        if (w == "qr") { s.align = Qt::AlignRight; return; }
        if (w == "qj") { s.align = Qt::AlignJustify; return; }
        if (w == "fi") { s.fi = n / 20.0; return; }
        if (w == "li") { s.li = n / 20.0; return; }
        if (w == "ri") { s.ri = n / 20.0; return; }
        if (w == "tqr") { s.nextTab = QTextOption::RightTab; return; }
        if (w == "tqc") { s.nextTab = QTextOption::CenterTab; return; }
        if (w == "tqdec") { s.nextTab = QTextOption::DelimiterTab; return; }
        if (w == "tx") {
            QTextOption::Tab tab;
            tab.position = n / 20.0;
            tab.type = s.nextTab;
            s.tabs << tab;
            s.nextTab = QTextOption::LeftTab;
            return;
        }
        // Character formats change the text that follows.
        flushText();
        if (w == "f") { s.font = n; return; }
        if (w == "fs") { s.size = has ? n / 2.0 : 12; return; }
        if (w == "b") { s.bold = !has || n != 0; return; }
        if (w == "i") { s.italic = !has || n != 0; return; }
        if (w == "ul") { s.underline = !has || n != 0; return; }
        if (w == "ulnone") { s.underline = false; return; }
        if (w == "strike") { s.strike = !has || n != 0; return; }
        if (w == "cf") { s.fg = n; return; }
        if (w == "highlight" || w == "cb" || w == "chcbpat") { s.bg = n; return; }
        static const char* const known[] = {"rtf", "ansi", "ansicpg", "deff", "fnil", "froman", "fswiss", "fmodern",
                                            "fscript", "fdecor", "ftech", "fcharset", "fprq", "viewkind", "lang",
                                            "pnindent", "pnstart", "pntxta", "pntxtb", "pnf", "nowidctlpar",
                                            "sa", "sb", "sl", "slmult", "deflang", "paperw", "paperh",
                                            "margl", "margr", "margt", "margb", "widowctrl", "cf0"};
        for (const char* k : known)
            if (w == k)
                return;
        m_unknown.insert(QString::fromLatin1(w));
    }

    const QByteArray& m_data;
    QTextDocument& m_doc;
    QStringList* m_warnings;
    QTextCursor m_cursor;
    std::vector<State> m_stack;
    QString m_text;
    std::map<int, QString> m_fonts;
    int m_fontNumber = -1;
    QString m_fontName;
    std::vector<QColor> m_colours;
    QColor m_colour;
    bool m_colourSet = false;
    bool m_starred = false;
    int m_skipChars = 0;
    bool m_endedWithPar = false;
    int m_codePage = 1252;
    std::map<int, int> m_fontCharsets;
    std::set<QString> m_unknown;
};

} // namespace

QByteArray write(const QTextDocument& document)
{
    return Writer(document).run();
}

bool read(const QByteArray& data, QTextDocument& document, QStringList* warnings)
{
    return Reader(data, document, warnings).run();
}

} // namespace ext::rtf
