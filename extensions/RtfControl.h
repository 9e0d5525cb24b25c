#pragma once
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>

#include <array>
#include <functional>

class QWidget;
class QDialog;

// A small word processor over a QTextEdit: up to 29 ordinary controls of a window are bound
// to it by item number (file name, line and column texts, the changed mark, buttons for new,
// open, save, print, find, replace, cut, copy, paste, undo, redo, tabs and indents, lists for
// alignment, bullets, font, size and colours, check boxes for bold, italic and underline),
// kept in step with the caret and the selection, and carried out when pressed. Documents are
// read and written as RTF (RtfCodec).
namespace ext {

// The logic without widgets.
namespace rtfui {
// Entries 1..16 of the size list: 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72
// points; any other size shows entry 1.
int sizeEntry(int points);
int sizeOfEntry(int entry);
// The colour lists: entries 1..16 are the sixteen colours (Windows values, red in the low
// byte); -1 (no colour) and any colour not in the table show entry 17, which stands for -1.
int colourEntry(long colour);
long colourOfEntry(int entry);
QString colourName(int entry);
QColor toQColor(long colour);
long fromQColor(const QColor& colour);
// What the file-name text shows: the name after the last "\", "/" or ":", or "<<< UNKNOWN >>>".
QString shownFileName(const QString& path);
// Units of the tab and indent windows: 1 = 1/100 mm, 2 = 1/1000 inch, 3 = twips.
int toTwips(int value, int unit);
int fromTwips(int twips, int unit);
// The indents window shows First = c, Left = a + c, Right = b of the document's (a, b, c).
struct Indents {
    int first = 0, left = 0, right = 0;
};
Indents shown(int a, int b, int c);
void stored(const Indents& shown, int& a, int& b, int& c);
// Search flags: +1 up (the direction option at 0), +2 case sensitive, +4 whole words, +16 all.
int findFlags(bool up, bool caseSensitive, bool wholeWords, bool all = false);
QTextDocument::FindFlags qtFindFlags(int flags);
} // namespace rtfui

class RTFCONTROLCLASS : public QObject {
    Q_OBJECT
public:
    enum Item : int {
        CTLSHOWFILENAME = 1, CTLSHOWLINENO, CTLSHOWPOSINLINE, CTLSHOWDIRTY, CTLBUTTONNEW, CTLBUTTONOPEN, CTLBUTTONSAVE, CTLBUTTONPRINT,
        CTLBUTTONFIND, CTLBUTTONFINDANDREPLACE, CTLBUTTONCUT, CTLBUTTONCOPY, CTLBUTTONPASTE, CTLBUTTONUNDO, CTLBUTTONREDO, CTLBUTTONTABS,
        CTLBUTTONPARA, CTLALIGNMENT, CTLALIGNMENTJUST, CTLBULLETS, CTLBULLETSTYLE, CTLFONTNAME, CTLFONTSIZE, CTLFONTSCRIPT,
        CTLBOLD, CTLITALIC, CTLUNDERLINE, CTLFONTCOLOR, CTLFONTBKCOLOR
    };

    explicit RTFCONTROLCLASS(QObject* parent = nullptr);
    ~RTFCONTROLCLASS() override;

    // Binds a control: labels (1..4), buttons (5..17), combo boxes (18, 20..24, 28, 29),
    // check boxes or checkable buttons (19, 25..27). Call before INIT.
    void ADDITEM(int item, QWidget* control);
    void INIT(QTextEdit* control, const QString& file = {});
    void KILL();
    // Carries out item `action` as if its control was pressed; 5 when the control is ready.
    int TAKEACTION(int action, const QString& value = {});

    bool LOAD(const QString& file = {});
    bool SAVE(const QString& file = {});
    bool SAVEAS();
    // Prints the document (to `pdfFile` when given); the error number, 0 when printed.
    int PRINTDOCUMENT(const QString& title = {}, bool quiet = false, const QString& pdfFile = {});
    // Searches from the caret; true when found (the match is selected).
    bool find(const QString& text, int flags);
    // Replaces the selection when it is the last match, then searches on.
    bool replace(const QString& text, const QString& with, int flags);
    int replaceAll(const QString& text, const QString& with, int flags);
    void FINDANDREPLACE(const QString& text, const QString& with, int flags);
    void FINDDLG(const QString& text = {});
    void FINDANDREPLACEDLG(const QString& text = {});
    void TABDLG(int unit = 3);
    void INDENTDLG();
    void REFRESHFILENAME();
    void REFRESHLINEPOS();
    void SHOWCTLGROUP(bool show);
    void SHOWINFOGROUP(bool show);
    void UPDATECONTROLS(int item, const QString& value);
    // Type 1 (the text is about to be dropped): a changed text that came from a file is offered
    // for saving: 0 when the user said No, 1 when saved or nothing to save, 2 when the save
    // failed or was cancelled (the text should stay). Other types answer 1.
    int EVENTCALLBACK(int type);
    QString SELECTEDTEXT() const;

    // Paragraph tab stops in twips and indents (a, b, c) in twips, of the current paragraph.
    QList<int> tabStops() const;
    void setTabStops(const QList<int>& twips);
    void indents(int& a, int& b, int& c) const;
    void setIndents(int a, int b, int c);

    QTextEdit* control() const { return m_edit; }
    QWidget* item(int number) const;

    // State as the bound controls show it.
    int ALIGNMENT = 1;  // 1 left, 2 centre, 3 right, 4 justify
    bool BOLD = false, ITALIC = false, UNDERLINE = false;
    bool BULLETS = false;
    int BULLETSTYLE = 1; // 1 disc, 2 circle, 3 square, 4 numbers
    QString FONTNAME;
    int FONTSIZE = 10;
    long FONTCOLOR = -1, FONTBKCOLOR = -1;
    int FONTWEIGHT = 400;
    int UNDOACTION = 255;
    QString FILENAME;
    QString DOCUMENTTITLE = QStringLiteral("CW RFT Document");
    bool RTFFROMFILE = false;
    QString lastFind, lastReplace;
    QString errorText;

signals:
    // A search found nothing ("<text>" not found.).
    void notFound(const QString& message);

private:
    void changeCallback();
    void selectionChanged();
    void fontChanged(const QTextCharFormat& format);
    void applyCharFormat(const QTextCharFormat& format);
    void applyBullets();
    void setDirty();
    void bindSignals();

    QPointer<QTextEdit> m_edit;
    std::array<QPointer<QWidget>, 30> m_items{};
    bool m_updating = false;
    bool m_cutCopy = false;
    bool m_lastFound = false;
};

} // namespace ext
