#include "services/MsWordClass.h"

#include <QFileInfo>

using office::quoted;
using office::toLong;

namespace {
QString trimmedRight(QString s)
{
    while (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}
const QString SeekView = QStringLiteral("ActiveWindow.ActivePane.View.SeekView");
} // namespace

void MSWORDCLASS::START()
{
    office::registerOfficeComponents();
    setProgramId(QStringLiteral("Word.Application"));
    MSOFFICECLASS::START();
}

// Documents
void MSWORDCLASS::CREATEDOC() { SENDCOMMAND(QStringLiteral("Documents.Add")); }
void MSWORDCLASS::CREATEDOC(const QString& t) { SENDCOMMAND(QStringLiteral("Documents.Add(") + quoted(t) + QLatin1Char(')')); }
void MSWORDCLASS::OPENDOC(const QString& file, uint8_t readOnly)
{
    SENDCOMMAND(QStringLiteral("Documents.Open(") + quoted(file) + QStringLiteral(",0,%1)").arg(readOnly));
}
void MSWORDCLASS::OPENDOC(const QString& file, const QString& password, uint8_t readOnly)
{
    SENDCOMMAND(QStringLiteral("Documents.Open(") + quoted(file) + QStringLiteral(",0,%1,0,").arg(readOnly) + quoted(password) + QLatin1Char(')'));
}
void MSWORDCLASS::SETACTIVEDOCUMENT(long n) { SENDCOMMAND(QStringLiteral("Documents(%1).Activate").arg(n)); }
void MSWORDCLASS::SAVE() { SENDCOMMAND(QStringLiteral("Application.ActiveDocument.Save")); }
// The passwords go in as the caller wrote them: they are arguments, not texts.
void MSWORDCLASS::SAVE(const QString& file, uint8_t format, const QString& password, const QString& writePassword, uint8_t readOnly)
{
    SENDCOMMAND(QStringLiteral("Application.ActiveDocument.SaveAs(") + quoted(file) + QStringLiteral(",%1,0,").arg(format) + password
                + QStringLiteral(",1,") + writePassword + QStringLiteral(",%1,0)").arg(readOnly));
}
void MSWORDCLASS::SAVE(const QString& file, const QString& password) { SAVE(file, 0, quoted(password), quoted(QString()), 0); }
void MSWORDCLASS::SAVE(const QString& file) { SAVE(file, 0, quoted(QString()), quoted(QString()), 0); }
// "ActiveDocument" is the member that names the document in use.
void MSWORDCLASS::CLOSEDOC() { SENDCOMMAND(QStringLiteral("ActiveDocument.Close")); }
void MSWORDCLASS::CLOSEDOC(uint8_t m) { SENDCOMMAND(QStringLiteral("ActiveDocument.Close(%1)").arg(m)); }
void MSWORDCLASS::CLOSEALLDOCS() { SENDCOMMAND(QStringLiteral("Documents.Close")); }
void MSWORDCLASS::CLOSEALLDOCS(uint8_t m) { SENDCOMMAND(QStringLiteral("Documents.Close(%1)").arg(m)); }
long MSWORDCLASS::GETDOCUMENTSCOUNT() { return toLong(GETPROPERTY(QStringLiteral("Documents.Count"))); }
// A collection's member is "Item".
QString MSWORDCLASS::GETDOCUMENTNAME() { return GETPROPERTY(QStringLiteral("Documents.Item(1).Name")); }
void MSWORDCLASS::CHECKSPELLING() { SENDCOMMAND(QStringLiteral("ActiveDocument.CheckSpelling")); }
void MSWORDCLASS::CHECKGRAMMAR() { SENDCOMMAND(QStringLiteral("ActiveDocument.CheckGrammar")); }
void MSWORDCLASS::SETDEFAULTPATHS(uint8_t which, const QString& path)
{
    SETPROPERTY(QStringLiteral("Options.DefaultFilePath(%1)").arg(which), trimmedRight(path));
}
QString MSWORDCLASS::GETDEFAULTPATHS(uint8_t which) { return GETPROPERTY(QStringLiteral("Options.DefaultFilePath(%1)").arg(which)); }

// Text, selection and layout. The whole text is typed, its quotes doubled.
void MSWORDCLASS::SENDTEXT(const QString& text) { SENDCOMMAND(QStringLiteral("Selection.TypeText(") + quoted(text) + QLatin1Char(')')); }
void MSWORDCLASS::NEWPAGE() { SENDCOMMAND(QStringLiteral("Selection.InsertBreak(7)")); }
void MSWORDCLASS::INSERTIMAGE(const QString& file, uint8_t link, uint8_t save)
{
    SENDCOMMAND(QStringLiteral("Selection.InLineShapes.AddPicture(") + quoted(trimmedRight(file)) + QStringLiteral(",%1,%2)").arg(link).arg(save));
}
long MSWORDCLASS::GOTOP() { return toLong(GETPROPERTY(QStringLiteral("Selection.HomeKey(6)"))); }
long MSWORDCLASS::GOBOTTOM() { return toLong(GETPROPERTY(QStringLiteral("Selection.EndKey(6)"))); }
long MSWORDCLASS::cursor(const char* member, short count, short unit, uint8_t extend)
{
    return toLong(GETPROPERTY(QStringLiteral("Selection.") + QLatin1String(member) + QStringLiteral("(%1,%2,%3)").arg(unit).arg(count).arg(extend ? 1 : 0)));
}
long MSWORDCLASS::CURSORUP(short c, short u, uint8_t e) { return cursor("MoveUp", c, u, e); }
long MSWORDCLASS::CURSORDOWN(short c, short u, uint8_t e) { return cursor("MoveDown", c, u, e); }
long MSWORDCLASS::CURSORLEFT(short c, short u, uint8_t e) { return cursor("MoveLeft", c, u, e); }
long MSWORDCLASS::CURSORRIGHT(short c, short u, uint8_t e) { return cursor("MoveRight", c, u, e); }
void MSWORDCLASS::CREATETABLE(short format, short lines, uint8_t autofit)
{
    SENDCOMMAND(QStringLiteral("Application.Selection.MoveUp(5,%1,1)").arg(lines));
    SENDCOMMAND(QStringLiteral("Application.Selection.ConvertToTable(1,,,,%1)").arg(format));
    if (autofit == 1)
        SENDCOMMAND(QStringLiteral("Application.Selection.Cells.AutoFit"));
    SENDCOMMAND(QStringLiteral("Application.Selection.MoveDown(5,1)"));
}
void MSWORDCLASS::SETALIGNMENT(uint8_t a) { SETPROPERTY(QStringLiteral("Selection.ParagraphFormat.Alignment"), num(a)); }
uint8_t MSWORDCLASS::GETALIGNMENT() { return uint8_t(toLong(GETPROPERTY(QStringLiteral("Selection.ParagraphFormat.Alignment"))) & 0xff); }
void MSWORDCLASS::SETDOCUMENTVIEW(uint8_t v) { SETPROPERTY(QStringLiteral("ActiveWindow.ActivePane.View.Type"), num(v)); }
long MSWORDCLASS::GETDOCUMENTVIEW() { return toLong(GETPROPERTY(QStringLiteral("ActiveWindow.ActivePane.View.Type"))); }
void MSWORDCLASS::SETMARGINS(short top, short bottom, short left, short right)
{
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.TopMargin"), num(top));
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.BottomMargin"), num(bottom));
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.LeftMargin"), num(left));
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.RightMargin"), num(right));
}
void MSWORDCLASS::PAGESETUP(uint8_t paper, uint8_t orientation)
{
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.PaperSize"), num(paper));
    SETPROPERTY(QStringLiteral("ActiveDocument.PageSetup.Orientation"), num(orientation));
}

int MSWORDCLASS::colourIndex(long colour)
{
    static const std::pair<long, int> table[] = {
        {0x000000, 1},  {0x000080, 13}, {0x008000, 11}, {0x008080, 14}, {0x800000, 9},  {0x800080, 12},
        {0x808000, 10}, {0x808080, 15}, {0xC0C0C0, 16}, {0x0000FF, 6},  {0x00FF00, 4},  {0x00FFFF, 7},
        {0xFF0000, 2},  {0xFF00FF, 5},  {0xFFFF00, 3},  {0xFFFFFF, 8}};
    for (const auto& [c, index] : table)
        if (c == colour)
            return index;
    return 0;
}

void MSWORDCLASS::SETFONTCOLOR(long colour)
{
    const int index = colourIndex(colour);
    if (GETVERSION() >= 9)
        SETPROPERTY(QStringLiteral("Selection.Font.Color"), num(colour));
    else
        SETPROPERTY(QStringLiteral("Selection.Font.ColorIndex"), num(index));
}

QString MSWORDCLASS::READTEXT(long start, long end)
{
    const QString range = start && end ? GETPROPERTY(QStringLiteral("ActiveDocument.Range(%1,%2)").arg(start).arg(end))
                                       : GETPROPERTY(QStringLiteral("ActiveDocument.Range"));
    if (lastCallFailed())
        return {};
    return readDirect(range + QStringLiteral(".Text"));
}

uint8_t MSWORDCLASS::SEARCH(const QString& text, uint8_t wrap, uint8_t forward, uint8_t home, uint8_t matchCase,
                            uint8_t wholeWord, uint8_t wildcards, uint8_t soundsLike, uint8_t wordForms)
{
    if (home)
        SENDCOMMAND(QStringLiteral("Selection.HomeKey(6)"));
    SENDCOMMAND(QStringLiteral("Selection.Find.ClearFormatting"));
    const std::pair<const char*, QString> writes[] = {
        {"Text", text}, {"Forward", num(forward)}, {"Wrap", num(wrap)}, {"Format", QStringLiteral("0")},
        {"MatchCase", num(matchCase)}, {"MatchWholeWord", num(wholeWord)}, {"MatchWildcards", num(wildcards)},
        {"MatchSoundsLike", num(soundsLike)}, {"MatchAllWordForms", num(wordForms)}};
    for (const auto& [member, value] : writes)
        SETPROPERTY(QStringLiteral("Selection.Find.") + QLatin1String(member), value);
    return toLong(GETPROPERTY(QStringLiteral("Selection.Find.Execute"))) != 0 ? 1 : 0;
}

uint8_t MSWORDCLASS::REPLACE(const QString& what, const QString& with, uint8_t gotoBookmark, uint8_t where)
{
    if (!gotoBookmark) {
        if (where == 1 || where == 2)
            SETPROPERTY(SeekView, where == 1 ? QStringLiteral("9") : QStringLiteral("10"));
        SETPROPERTY(SeekView, QStringLiteral("0"));
        return toLong(GETPROPERTY(QStringLiteral("ActiveDocument.Content.Find.Execute(") + quoted(what) + QStringLiteral(",0,0,0,0,0,1,1,0,")
                                  + quoted(with) + QStringLiteral(",2)")))
                       != 0
                   ? 1
                   : 0;
    }
    // At a bookmark the text goes in once, in the story WHERE names.
    if (where == 1 || where == 2)
        SETPROPERTY(SeekView, where == 1 ? QStringLiteral("9") : QStringLiteral("10"));
    SENDCOMMAND(QStringLiteral("Selection.GoTo(,,,") + quoted(what) + QLatin1Char(')'));
    const bool found = !lastCallFailed();
    if (found)
        SENDCOMMAND(QStringLiteral("WordBasic.Insert(") + quoted(with) + QLatin1Char(')'));
    const bool inserted = found && !lastCallFailed();
    SETPROPERTY(SeekView, QStringLiteral("0"));
    return inserted ? 1 : 0;
}

void MSWORDCLASS::headerOrFooter(int seekView, const QString& text, uint8_t alignment, const QString& font, short size,
                                 uint8_t bold, uint8_t italic, long colour)
{
    SETPROPERTY(SeekView, num(seekView));
    if (!font.trimmed().isEmpty())
        SETFONT(font);
    if (size)
        SETFONTSIZE(size);
    SETBOLD(bold);
    SETITALIC(italic);
    SETFONTCOLOR(colour);
    if (alignment)
        SETALIGNMENT(alignment);
    SENDTEXT(text);
    SETPROPERTY(SeekView, QStringLiteral("0"));
}
void MSWORDCLASS::SETHEADER(const QString& t, uint8_t a, const QString& f, short s, uint8_t b, uint8_t i, long c) { headerOrFooter(9, t, a, f, s, b, i, c); }
void MSWORDCLASS::SETFOOTER(const QString& t, uint8_t a, const QString& f, short s, uint8_t b, uint8_t i, long c) { headerOrFooter(10, t, a, f, s, b, i, c); }

// Printing
void MSWORDCLASS::PRINTDOC(uint8_t copies, uint8_t background)
{
    SENDCOMMAND(QStringLiteral("Application.ActiveDocument.PrintOut(%1,0,0,,,,,%2,,,0,1,,)").arg(background).arg(copies));
}
void MSWORDCLASS::PRINTDOC(uint8_t copies, uint8_t background, uint8_t append, uint8_t range, const QString& outputFile,
                           long from, long to, uint8_t item, const QString& pages, uint8_t pageType, uint8_t printToFile,
                           uint8_t collate)
{
    const QStringList args{num(background), num(append), num(range), outputFile, num(from), num(to), num(item), num(copies),
                           trimmedRight(pages), num(pageType), num(printToFile), num(collate)};
    SENDCOMMAND(QStringLiteral("Application.ActiveDocument.PrintOut(") + args.join(QLatin1Char(',')) + QLatin1Char(')'));
}

// Mail merge
void MSWORDCLASS::SETMERGETYPE(uint8_t t) { SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MainDocumentType"), num(t)); }
long MSWORDCLASS::GETMERGETYPE() { return toLong(GETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MainDocumentType"))); }
QString MSWORDCLASS::GETMERGESOURCE() { return GETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.DataSource.Name")); }
void MSWORDCLASS::SETMERGERECORDS(long first, long last)
{
    SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.DataSource.FirstRecord"), num(first));
    SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.DataSource.LastRecord"), num(last));
}
void MSWORDCLASS::SETMERGEOPTIONS(uint8_t destination, uint8_t suppress)
{
    SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.Destination"), num(destination));
    SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.SuppressBlankLines"), num(suppress));
}
void MSWORDCLASS::SETEMAILSUBJECT(const QString& s) { SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MailSubject"), s); }
QString MSWORDCLASS::GETEMAILSUBJECT() { return GETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MailSubject")); }
void MSWORDCLASS::SETEMAILADDRESSFIELD(const QString& f) { SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MailAddressFieldName"), f); }
QString MSWORDCLASS::GETEMAILADDRESSFIELD() { return GETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.MailAddressFieldName")); }
// Reports what the merge did, not success whatever happened.
uint8_t MSWORDCLASS::EXECUTEMERGE(uint8_t destination, uint8_t suppress)
{
    SETPROPERTY(QStringLiteral("ActiveDocument.MailMerge.SuppressBlankLines"), num(suppress));
    SENDCOMMAND(QStringLiteral("ActiveDocument.MailMerge.Execute(%1)").arg(destination));
    return lastCallFailed() ? 0 : 1;
}

void MSWORDCLASS::SETMERGESOURCE(const QString& source)
{
    const QString s = trimmedRight(source);
    if (GETVERSION() <= 8) {
        const QString name = QFileInfo(QString(s).replace(QLatin1Char('\\'), QLatin1Char('/'))).completeBaseName();
        SENDCOMMAND(QStringLiteral("ActiveDocument.MailMerge.OpenDataSource(") + quoted(s) + QStringLiteral(", 0, False, False, True, False, , , , , , ")
                    + quoted(QString()) + QStringLiteral(", ") + quoted(QStringLiteral("SELECT * FROM ") + name) + QStringLiteral(", ")
                    + quoted(QString()) + QLatin1Char(')'));
    } else {
        // The caller gives the whole argument list.
        SENDCOMMAND(QStringLiteral("ActiveDocument.MailMerge.OpenDataSource(") + s + QLatin1Char(')'));
    }
}

void MSWORDCLASS::prepareSearch(const QString& text, uint8_t matchCase, uint8_t wholeWord, uint8_t wildcards, uint8_t home)
{
    if (home)
        SENDCOMMAND(QStringLiteral("Selection.HomeKey(6)"));
    SENDCOMMAND(QStringLiteral("Selection.Find.ClearFormatting"));
    const std::pair<const char*, QString> writes[] = {
        {"Text", text}, {"Forward", QStringLiteral("1")}, {"Wrap", QStringLiteral("1")}, {"Format", QStringLiteral("0")},
        {"MatchCase", num(matchCase)}, {"MatchWholeWord", num(wholeWord)}, {"MatchWildcards", num(wildcards)},
        {"MatchSoundsLike", QStringLiteral("0")}, {"MatchAllWordForms", QStringLiteral("0")}};
    for (const auto& [member, value] : writes)
        SETPROPERTY(QStringLiteral("Selection.Find.") + QLatin1String(member), value);
}

uint8_t MSWORDCLASS::mergePass(const QString& text, const QString& fieldName, uint8_t matchCase, uint8_t wholeWord,
                               uint8_t wildcards, uint8_t home)
{
    prepareSearch(text, matchCase, wholeWord, wildcards, home);
    // A bound on the passes: a program that always answers "found" must not hold us forever.
    for (int guard = 0; guard < 10000; ++guard) {
        const QString answer = GETPROPERTY(QStringLiteral("Selection.Find.Execute"));
        if (toLong(answer) != -1)
            return uint8_t(toLong(answer) & 0xff);
        const QString range = trimmedRight(GETPROPERTY(QStringLiteral("Selection.Range")).left(19));
        SENDCOMMAND(QStringLiteral("ActiveDocument.Content.Find.Execute(") + quoted(text) + QLatin1Char(')'));
        SENDCOMMAND(QStringLiteral("ActiveDocument.Fields.Add(") + range + QStringLiteral(",59,") + quoted(trimmedRight(fieldName)) + QLatin1Char(')'));
        SENDCOMMAND(QStringLiteral("Selection.Find.ClearFormatting"));
        prepareSearch(text, matchCase, wholeWord, wildcards, home);
    }
    return 0;
}

uint8_t MSWORDCLASS::ADDMERGEFIELD(const QString& text, const QString& fieldName, uint8_t headers, uint8_t matchCase,
                                   uint8_t wholeWord, uint8_t wildcards, uint8_t home)
{
    if (headers) {
        const QString view = GETPROPERTY(SeekView);
        for (const char* seek : {"9", "10"}) {
            const long type = toLong(GETPROPERTY(QStringLiteral("ActiveWindow.ActivePane.View.Type")));
            if (type == 1 || type == 2)
                SETPROPERTY(QStringLiteral("ActiveWindow.ActivePane.View.Type"), QStringLiteral("3"));
            SETPROPERTY(SeekView, QString::fromLatin1(seek));
            mergePass(text, fieldName, matchCase, wholeWord, wildcards, home);
        }
        SETPROPERTY(SeekView, num(toLong(view)));
    }
    return mergePass(text, fieldName, matchCase, wholeWord, wildcards, home);
}
