#include "extensions/RtfControl.h"
#include "extensions/DialogParts.h"
#include "extensions/RtfCodec.h"

#include "runtime/Dialogs.h"
#include "runtime/WindowManager.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QVBoxLayout>

#include <cmath>

namespace ext {

// ---- the logic ----------------------------------------------------------------------------

namespace rtfui {

namespace {
const int kSizes[16] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
const long kColours[16] = {0,        128,      32768,    32896,    8388608,  8388736,  8421376,  8421504,
                           12632256, 255,      65280,    65535,    16711680, 16711935, 16776960, 16777215};
const char* const kColourNames[17] = {"Black", "Maroon", "Green", "Olive",  "Navy",    "Purple", "Teal",
                                      "Gray",  "Silver", "Red",   "Lime",   "Yellow",  "Blue",   "Fuchsia",
                                      "Aqua",  "White",  "Automatic"};

// The Windows multiply-divide: rounded to the nearest whole number, halves away from zero.
int mulDiv(int value, int multiply, int divide)
{
    return int(std::lround(double(value) * multiply / divide));
}
} // namespace

int sizeEntry(int points)
{
    for (int i = 0; i < 16; ++i)
        if (kSizes[i] == points)
            return i + 1;
    return 1;
}

int sizeOfEntry(int entry)
{
    return entry >= 1 && entry <= 16 ? kSizes[entry - 1] : kSizes[0];
}

int colourEntry(long colour)
{
    for (int i = 0; i < 16; ++i)
        if (kColours[i] == colour)
            return i + 1;
    return 17;
}

long colourOfEntry(int entry)
{
    return entry >= 1 && entry <= 16 ? kColours[entry - 1] : -1;
}

QString colourName(int entry)
{
    return QString::fromLatin1(kColourNames[std::clamp(entry, 1, 17) - 1]);
}

QColor toQColor(long colour)
{
    if (colour < 0)
        return {};
    return QColor(int(colour & 0xff), int((colour >> 8) & 0xff), int((colour >> 16) & 0xff));
}

long fromQColor(const QColor& colour)
{
    if (!colour.isValid())
        return -1;
    return long(colour.red()) | (long(colour.green()) << 8) | (long(colour.blue()) << 16);
}

QString shownFileName(const QString& path)
{
    if (path.trimmed().isEmpty())
        return QStringLiteral("<<< UNKNOWN >>>");
    const int cut = int(std::max({path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')),
                                  path.lastIndexOf(QLatin1Char(':'))}));
    return path.mid(cut + 1);
}

int toTwips(int value, int unit)
{
    switch (unit) {
    case 1: return mulDiv(value, 144, 254);
    case 2: return mulDiv(value, 144, 100);
    default: return value;
    }
}

int fromTwips(int twips, int unit)
{
    switch (unit) {
    case 1: return mulDiv(twips, 254, 144);
    case 2: return mulDiv(twips, 100, 144);
    default: return twips;
    }
}

Indents shown(int a, int b, int c)
{
    return {c, a + c, b};
}

void stored(const Indents& s, int& a, int& b, int& c)
{
    a = s.left - s.first;
    b = s.right;
    c = s.first;
}

int findFlags(bool up, bool caseSensitive, bool wholeWords, bool all)
{
    return (up ? 1 : 0) | (caseSensitive ? 2 : 0) | (wholeWords ? 4 : 0) | (all ? 16 : 0);
}

QTextDocument::FindFlags qtFindFlags(int flags)
{
    QTextDocument::FindFlags f;
    if (flags & 1)
        f |= QTextDocument::FindBackward;
    if (flags & 2)
        f |= QTextDocument::FindCaseSensitively;
    if (flags & 4)
        f |= QTextDocument::FindWholeWords;
    return f;
}

} // namespace rtfui

// ---- the controller -----------------------------------------------------------------------

using namespace rtfui;

RTFCONTROLCLASS::RTFCONTROLCLASS(QObject* parent) : QObject(parent) {}

RTFCONTROLCLASS::~RTFCONTROLCLASS() = default;

QWidget* RTFCONTROLCLASS::item(int number) const
{
    return number >= 1 && number <= 29 ? m_items[size_t(number)].data() : nullptr;
}

void RTFCONTROLCLASS::ADDITEM(int number, QWidget* control)
{
    if (number < 1 || number > 29)
        return;
    m_items[size_t(number)] = control;
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (number == CTLFONTSIZE && combo->count() == 0)
            for (int i = 1; i <= 16; ++i)
                combo->addItem(QString::number(sizeOfEntry(i)));
        if ((number == CTLFONTCOLOR || number == CTLFONTBKCOLOR) && combo->count() == 0)
            for (int i = 1; i <= 17; ++i) {
                QPixmap swatch(14, 14);
                swatch.fill(i <= 16 ? toQColor(colourOfEntry(i)) : QColor(Qt::transparent));
                combo->addItem(QIcon(swatch), tr(qPrintable(colourName(i))));
            }
        if (number == CTLALIGNMENT && combo->count() == 0)
            combo->addItems({tr("Left"), tr("Center"), tr("Right"), tr("Justify")});
        if (number == CTLBULLETSTYLE && combo->count() == 0)
            combo->addItems({tr("Disc"), tr("Circle"), tr("Square"), tr("Numbers")});
        connect(combo, &QComboBox::activated, this, [this, number, combo](int index) {
            if (m_updating)
                return;
            TAKEACTION(number, number == CTLFONTNAME ? combo->itemText(index) : QString::number(index + 1));
        });
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, number, button] {
            if (m_updating)
                return;
            TAKEACTION(number, button->isCheckable() ? (button->isChecked() ? "1" : "0") : QString());
        });
    }
}

void RTFCONTROLCLASS::INIT(QTextEdit* control, const QString& file)
{
    if (!control)
        return;
    m_edit = control;
    m_edit->setAcceptRichText(true);
    SHOWINFOGROUP(true);
    SHOWCTLGROUP(true);
    if (auto* combo = qobject_cast<QComboBox*>(item(CTLFONTNAME)); combo && combo->count() == 0)
        combo->addItems(QFontDatabase::families());
    bindSignals();
    if (!file.isEmpty())
        LOAD(file);
    const QFont f = m_edit->document()->defaultFont();
    FONTNAME = f.family();
    FONTSIZE = f.pointSize();
    FONTWEIGHT = f.bold() ? 700 : 400;
    BOLD = FONTWEIGHT == 700;
    ITALIC = f.italic();
    UNDERLINE = f.underline();
    REFRESHFILENAME();
    m_edit->document()->setModified(false);
    setDirty();
    UPDATECONTROLS(CTLBULLETS, "0");
    UPDATECONTROLS(CTLBULLETSTYLE, "0");
    UPDATECONTROLS(CTLALIGNMENT, "1");
    UPDATECONTROLS(CTLFONTNAME, FONTNAME);
    UPDATECONTROLS(CTLFONTSIZE, QString::number(FONTSIZE));
    UPDATECONTROLS(CTLBOLD, BOLD ? "1" : "0");
    UPDATECONTROLS(CTLITALIC, ITALIC ? "1" : "0");
    UPDATECONTROLS(CTLUNDERLINE, UNDERLINE ? "1" : "0");
    UPDATECONTROLS(CTLFONTCOLOR, "-1");
    UPDATECONTROLS(CTLFONTBKCOLOR, "-1");
    if (auto* w = item(CTLBUTTONPASTE))
        w->setEnabled(m_edit->canPaste());
    for (int i : {CTLBUTTONUNDO, CTLBUTTONREDO, CTLBUTTONCUT, CTLBUTTONCOPY})
        if (auto* w = item(i))
            w->setEnabled(false);
}

void RTFCONTROLCLASS::bindSignals()
{
    QTextEdit* e = m_edit;
    connect(e, &QTextEdit::cursorPositionChanged, this, [this] { changeCallback(); });
    connect(e, &QTextEdit::currentCharFormatChanged, this, [this](const QTextCharFormat& f) { fontChanged(f); });
    connect(e, &QTextEdit::copyAvailable, this, [this](bool yes) {
        m_cutCopy = yes;
        for (int i : {CTLBUTTONCUT, CTLBUTTONCOPY})
            if (auto* w = item(i))
                w->setEnabled(yes);
    });
    connect(e, &QTextEdit::undoAvailable, this, [this](bool yes) {
        if (auto* w = item(CTLBUTTONUNDO))
            w->setEnabled(yes);
    });
    connect(e, &QTextEdit::redoAvailable, this, [this](bool yes) {
        if (auto* w = item(CTLBUTTONREDO))
            w->setEnabled(yes);
    });
    connect(e->document(), &QTextDocument::modificationChanged, this, [this] { setDirty(); });
    if (auto* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            if (auto* w = item(CTLBUTTONPASTE); w && m_edit)
                w->setEnabled(m_edit->canPaste());
        });
}

void RTFCONTROLCLASS::KILL()
{
    if (m_edit)
        disconnect(m_edit, nullptr, this, nullptr);
    SHOWCTLGROUP(false);
    SHOWINFOGROUP(false);
    m_edit = nullptr;
}

void RTFCONTROLCLASS::SHOWCTLGROUP(bool show)
{
    for (int i = CTLBUTTONNEW; i <= CTLFONTBKCOLOR; ++i)
        if (auto* w = item(i))
            w->setVisible(show);
}

void RTFCONTROLCLASS::SHOWINFOGROUP(bool show)
{
    for (int i = CTLSHOWFILENAME; i <= CTLSHOWDIRTY; ++i)
        if (auto* w = item(i))
            w->setVisible(show);
}

void RTFCONTROLCLASS::setDirty()
{
    if (auto* label = qobject_cast<QLabel*>(item(CTLSHOWDIRTY)))
        label->setText(m_edit && m_edit->document()->isModified() ? QStringLiteral("*") : QString());
}

void RTFCONTROLCLASS::REFRESHFILENAME()
{
    if (auto* label = qobject_cast<QLabel*>(item(CTLSHOWFILENAME)))
        label->setText(shownFileName(FILENAME));
    REFRESHLINEPOS();
}

void RTFCONTROLCLASS::REFRESHLINEPOS()
{
    if (!m_edit)
        return;
    const QTextCursor c = m_edit->textCursor();
    if (auto* label = qobject_cast<QLabel*>(item(CTLSHOWLINENO)))
        label->setText(QStringLiteral("Line: %1 of %2").arg(c.blockNumber() + 1).arg(m_edit->document()->blockCount()));
    if (auto* label = qobject_cast<QLabel*>(item(CTLSHOWPOSINLINE)))
        label->setText(QStringLiteral("Col: %1").arg(c.columnNumber() + 1));
}

void RTFCONTROLCLASS::changeCallback()
{
    if (!m_edit)
        return;
    const QTextCursor c = m_edit->textCursor();
    const Qt::Alignment a = c.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    const int align = a & Qt::AlignHCenter ? 2 : a & Qt::AlignRight ? 3 : a & Qt::AlignJustify ? 4 : 1;
    UPDATECONTROLS(CTLALIGNMENT, QString::number(align));
    QTextList* list = c.currentList();
    UPDATECONTROLS(CTLBULLETS, list ? "1" : "0");
    if (list) {
        const auto style = list->format().style();
        UPDATECONTROLS(CTLBULLETSTYLE, QString::number(style == QTextListFormat::ListCircle   ? 2
                                                    : style == QTextListFormat::ListSquare ? 3
                                                    : style == QTextListFormat::ListDecimal ? 4
                                                                                            : 1));
    }
    REFRESHLINEPOS();
    setDirty();
}

void RTFCONTROLCLASS::fontChanged(const QTextCharFormat& f)
{
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty())
        UPDATECONTROLS(CTLFONTNAME, families.front());
    if (f.fontPointSize() > 0)
        UPDATECONTROLS(CTLFONTSIZE, QString::number(int(std::lround(f.fontPointSize()))));
    UPDATECONTROLS(CTLBOLD, f.fontWeight() > 699 ? "1" : "0");
    UPDATECONTROLS(CTLITALIC, f.fontItalic() ? "1" : "0");
    UPDATECONTROLS(CTLUNDERLINE, f.fontUnderline() ? "1" : "0");
    UPDATECONTROLS(CTLFONTCOLOR,
                   QString::number(f.foreground().style() == Qt::NoBrush ? -1 : fromQColor(f.foreground().color())));
    UPDATECONTROLS(CTLFONTBKCOLOR,
                   QString::number(f.background().style() == Qt::NoBrush ? -1 : fromQColor(f.background().color())));
}

void RTFCONTROLCLASS::UPDATECONTROLS(int number, const QString& value)
{
    m_updating = true;
    const auto truth = [&] {
        const QString v = value.trimmed();
        return !(v.isEmpty() || v == QLatin1String("0") || v.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0);
    };
    QWidget* w = item(number);
    auto* combo = qobject_cast<QComboBox*>(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    switch (number) {
    case CTLALIGNMENT:
        ALIGNMENT = std::clamp(value.toInt(), 1, 4);
        if (combo)
            combo->setCurrentIndex(ALIGNMENT - 1);
        if (auto* just = qobject_cast<QAbstractButton*>(item(CTLALIGNMENTJUST)))
            just->setChecked(ALIGNMENT == 4);
        break;
    case CTLBULLETS:
        BULLETS = value.toInt() != 0;
        if (button)
            button->setChecked(BULLETS);
        break;
    case CTLBULLETSTYLE:
        if (value.toInt() != 0)
            BULLETSTYLE = value.toInt();
        if (combo)
            combo->setCurrentIndex(std::clamp(BULLETSTYLE, 1, 4) - 1);
        break;
    case CTLFONTNAME:
        FONTNAME = value;
        if (combo)
            combo->setCurrentIndex(combo->findText(value));
        break;
    case CTLFONTSIZE:
        FONTSIZE = value.toInt();
        if (combo)
            combo->setCurrentIndex(sizeEntry(FONTSIZE) - 1);
        break;
    case CTLBOLD:
    case CTLITALIC:
    case CTLUNDERLINE:
        (number == CTLBOLD ? BOLD : number == CTLITALIC ? ITALIC : UNDERLINE) = truth();
        if (button)
            button->setChecked(truth());
        break;
    case CTLFONTCOLOR:
    case CTLFONTBKCOLOR:
        (number == CTLFONTCOLOR ? FONTCOLOR : FONTBKCOLOR) = value.toLong();
        if (combo)
            combo->setCurrentIndex(colourEntry(value.toLong()) - 1);
        break;
    default:
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(value);
        break;
    }
    m_updating = false;
}

void RTFCONTROLCLASS::applyCharFormat(const QTextCharFormat& format)
{
    QTextCursor c = m_edit->textCursor();
    c.mergeCharFormat(format);
    m_edit->mergeCurrentCharFormat(format);
}

void RTFCONTROLCLASS::applyBullets()
{
    QTextCursor c = m_edit->textCursor();
    c.beginEditBlock();
    if (!BULLETS) {
        if (QTextList* list = c.currentList()) {
            const QTextBlock b = c.block();
            list->remove(b);
            QTextBlockFormat f = c.blockFormat();
            f.setIndent(0);
            c.setBlockFormat(f);
        }
    } else {
        QTextListFormat f;
        f.setStyle(BULLETSTYLE == 2   ? QTextListFormat::ListCircle
                   : BULLETSTYLE == 3 ? QTextListFormat::ListSquare
                   : BULLETSTYLE == 4 ? QTextListFormat::ListDecimal
                                      : QTextListFormat::ListDisc);
        if (QTextList* list = c.currentList())
            list->setFormat(f);
        else
            c.createList(f);
    }
    c.endEditBlock();
}

int RTFCONTROLCLASS::TAKEACTION(int action, const QString& value)
{
    if (!m_edit)
        return 0;
    QTextCharFormat f;
    switch (action) {
    case CTLBUTTONNEW:
        m_edit->clear();
        FILENAME.clear();
        RTFFROMFILE = false;
        m_edit->document()->setModified(false);
        REFRESHFILENAME();
        break;
    case CTLBUTTONOPEN: LOAD(); break;
    case CTLBUTTONSAVE: SAVE(); break;
    case CTLBUTTONPRINT:
        if (vrt::printerDialog(QStringLiteral("Choose Printer")))
            PRINTDOCUMENT(DOCUMENTTITLE);
        break;
    case CTLBUTTONFIND: FINDDLG(value); break;
    case CTLBUTTONFINDANDREPLACE: FINDANDREPLACEDLG(value); break;
    case CTLBUTTONCUT: m_edit->cut(); break;
    case CTLBUTTONCOPY: m_edit->copy(); break;
    case CTLBUTTONPASTE: m_edit->paste(); break;
    case CTLBUTTONUNDO: m_edit->undo(); break;
    case CTLBUTTONREDO: m_edit->redo(); break;
    case CTLBUTTONTABS: TABDLG(3); break;
    case CTLBUTTONPARA: INDENTDLG(); break;
    case CTLALIGNMENT:
    case CTLALIGNMENTJUST: {
        ALIGNMENT = action == CTLALIGNMENTJUST ? (value == QLatin1String("0") ? 1 : 4) : std::clamp(value.toInt(), 1, 4);
        const Qt::Alignment a[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
        m_edit->setAlignment(a[ALIGNMENT - 1]);
        changeCallback();
        break;
    }
    case CTLBULLETS:
        BULLETS = value.toInt() != 0;
        applyBullets();
        break;
    case CTLBULLETSTYLE:
        BULLETSTYLE = std::clamp(value.toInt(), 1, 4);
        if (BULLETS)
            applyBullets();
        break;
    case CTLFONTNAME:
        FONTNAME = value;
        f.setFontFamilies(QStringList{value});
        applyCharFormat(f);
        break;
    case CTLFONTSIZE:
        FONTSIZE = value.toInt() >= 1 && value.toInt() <= 16 ? sizeOfEntry(value.toInt()) : value.toInt();
        f.setFontPointSize(FONTSIZE);
        applyCharFormat(f);
        break;
    case CTLFONTSCRIPT:
        break; // every script is in the font already: nothing to switch
    case CTLBOLD:
        BOLD = value.toInt() != 0;
        FONTWEIGHT = BOLD ? 700 : 400;
        f.setFontWeight(BOLD ? QFont::Bold : QFont::Normal);
        applyCharFormat(f);
        break;
    case CTLITALIC:
        ITALIC = value.toInt() != 0;
        f.setFontItalic(ITALIC);
        applyCharFormat(f);
        break;
    case CTLUNDERLINE:
        UNDERLINE = value.toInt() != 0;
        f.setFontUnderline(UNDERLINE);
        applyCharFormat(f);
        break;
    case CTLFONTCOLOR:
    case CTLFONTBKCOLOR: {
        const long colour = colourOfEntry(value.toInt());
        (action == CTLFONTCOLOR ? FONTCOLOR : FONTBKCOLOR) = colour;
        if (colour < 0) {
            QTextCursor c = m_edit->textCursor();
            QTextCharFormat clear;
            clear.clearProperty(action == CTLFONTCOLOR ? QTextFormat::ForegroundBrush : QTextFormat::BackgroundBrush);
            QTextCharFormat now = c.charFormat();
            now.clearProperty(action == CTLFONTCOLOR ? QTextFormat::ForegroundBrush : QTextFormat::BackgroundBrush);
            c.setCharFormat(now);
            m_edit->setCurrentCharFormat(now);
        } else if (action == CTLFONTCOLOR) {
            f.setForeground(toQColor(colour));
            applyCharFormat(f);
        } else {
            f.setBackground(toQColor(colour));
            applyCharFormat(f);
        }
        break;
    }
    default:
        return 5;
    }
    if (action != CTLBUTTONNEW)
        m_edit->setFocus();
    return 5;
}

bool RTFCONTROLCLASS::LOAD(const QString& file)
{
    if (!m_edit)
        return false;
    QString name = file;
    if (name.isEmpty()) {
        vrt::FileDialogArgs args;
        args.title = tr("Open");
        args.filter = QStringLiteral("RTF|*.rtf|All|*.*");
        if (!vrt::fileDialog(args))
            return false;
        name = args.file;
    }
    QFile in(name);
    if (!in.open(QIODevice::ReadOnly)) {
        errorText = in.errorString();
        vrt::message(QStringLiteral("%1 cannot be opened: %2").arg(name, errorText), tr("Open"), vrt::Icon::Exclamation);
        return false;
    }
    const QByteArray data = in.readAll();
    QStringList warnings;
    if (!rtf::read(data, *m_edit->document(), &warnings))
        m_edit->setPlainText(QString::fromUtf8(data)); // not RTF: the text as it is
    FILENAME = QFileInfo(name).absoluteFilePath();
    RTFFROMFILE = true;
    m_edit->document()->setModified(false);
    REFRESHFILENAME();
    m_edit->setFocus();
    return true;
}

bool RTFCONTROLCLASS::SAVE(const QString& file)
{
    if (!m_edit)
        return false;
    QString name = file.isEmpty() ? FILENAME : file;
    if (name.isEmpty()) {
        vrt::FileDialogArgs args;
        args.title = tr("Save");
        args.filter = QStringLiteral("RTF|*.rtf|All|*.*");
        args.flags = vrt::FILE_SAVE;
        if (!vrt::fileDialog(args))
            return false;
        name = args.file;
    }
    QSaveFile out(name);
    const QByteArray data = rtf::write(*m_edit->document());
    if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size() || !out.commit()) {
        errorText = out.errorString();
        vrt::message(QStringLiteral("%1 cannot be written: %2").arg(name, errorText), tr("Save"), vrt::Icon::Exclamation);
        return false;
    }
    FILENAME = QFileInfo(name).absoluteFilePath();
    RTFFROMFILE = true;
    m_edit->document()->setModified(false);
    REFRESHFILENAME();
    return true;
}

bool RTFCONTROLCLASS::SAVEAS()
{
    const QString kept = FILENAME;
    FILENAME.clear();
    if (SAVE())
        return true;
    FILENAME = kept;
    return false;
}

int RTFCONTROLCLASS::PRINTDOCUMENT(const QString& title, bool quiet, const QString& pdfFile)
{
    if (!m_edit || m_edit->document()->isEmpty())
        return 0;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(title.isEmpty() ? DOCUMENTTITLE : title);
    if (!pdfFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfFile);
    }
    int error = printer.isValid() ? 0 : 1;
    if (!error) {
        m_edit->document()->print(&printer);
        error = printer.printerState() == QPrinter::Error ? 2 : 0;
    }
    if (error && !quiet) {
        QApplication::beep();
        vrt::message(QStringLiteral("Printing error %1").arg(error), QStringLiteral("Error"), vrt::Icon::Hand);
    }
    return error;
}

bool RTFCONTROLCLASS::find(const QString& text, int flags)
{
    if (!m_edit || text.isEmpty())
        return false;
    lastFind = text;
    const QTextCursor found = m_edit->document()->find(text, m_edit->textCursor(), qtFindFlags(flags));
    m_lastFound = !found.isNull();
    if (m_lastFound) {
        m_edit->setTextCursor(found);
        return true;
    }
    QApplication::beep();
    const QString message = QStringLiteral("\"%1\" not found.").arg(text);
    emit notFound(message);
    vrt::message(message, QStringLiteral("Search"), vrt::Icon::Question);
    return false;
}

bool RTFCONTROLCLASS::replace(const QString& text, const QString& with, int flags)
{
    if (!m_edit)
        return false;
    lastReplace = with;
    QTextCursor c = m_edit->textCursor();
    const Qt::CaseSensitivity cs = flags & 2 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (m_lastFound && c.hasSelection() && c.selectedText().compare(text, cs) == 0) {
        c.insertText(with);
        m_edit->setTextCursor(c);
    }
    return find(text, flags & ~16);
}

int RTFCONTROLCLASS::replaceAll(const QString& text, const QString& with, int flags)
{
    if (!m_edit || text.isEmpty())
        return 0;
    lastFind = text;
    lastReplace = with;
    QTextDocument* doc = m_edit->document();
    const QTextDocument::FindFlags f = qtFindFlags(flags & ~1);
    QTextCursor edit(doc);
    edit.beginEditBlock();
    int count = 0;
    QTextCursor at(doc);
    for (;;) {
        const QTextCursor found = doc->find(text, at, f);
        if (found.isNull())
            break;
        QTextCursor r = found;
        r.insertText(with);
        at = r;
        ++count;
    }
    edit.endEditBlock();
    if (count == 0) {
        QApplication::beep();
        const QString message = QStringLiteral("\"%1\" not found.").arg(text);
        emit notFound(message);
        vrt::message(message, QStringLiteral("Search"), vrt::Icon::Question);
    }
    return count;
}

void RTFCONTROLCLASS::FINDANDREPLACE(const QString& text, const QString& with, int flags)
{
    if (!text.isEmpty())
        replaceAll(text, with, 16 | (flags & 6));
}

QString RTFCONTROLCLASS::SELECTEDTEXT() const
{
    return m_edit ? m_edit->textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')) : QString();
}

int RTFCONTROLCLASS::EVENTCALLBACK(int type)
{
    if (type != 1 || !m_edit || !RTFFROMFILE || !m_edit->document()->isModified())
        return 1;
    const int answer = vrt::message(QStringLiteral("Text is changed. Do you want to save it?"),
                                    QStringLiteral("Text is changed"), vrt::Icon::Exclamation,
                                    vrt::BUTTON_YES | vrt::BUTTON_NO, vrt::BUTTON_YES);
    if (answer == vrt::BUTTON_NO)
        return 0;
    return SAVE() ? 1 : 2;
}

QList<int> RTFCONTROLCLASS::tabStops() const
{
    QList<int> out;
    if (!m_edit)
        return out;
    for (const QTextOption::Tab& t : m_edit->textCursor().blockFormat().tabPositions())
        out << int(std::lround(t.position * 20));
    std::sort(out.begin(), out.end());
    return out;
}

void RTFCONTROLCLASS::setTabStops(const QList<int>& twips)
{
    QList<QTextOption::Tab> tabs;
    for (int t : twips)
        tabs << QTextOption::Tab(t / 20.0, QTextOption::LeftTab);
    QTextCursor c = m_edit->textCursor();
    QTextBlockFormat f = c.blockFormat();
    f.setTabPositions(tabs);
    c.setBlockFormat(f);
}

void RTFCONTROLCLASS::indents(int& a, int& b, int& c) const
{
    const QTextBlockFormat f = m_edit->textCursor().blockFormat();
    c = int(std::lround(f.textIndent() * 20));
    a = int(std::lround(f.leftMargin() * 20));
    b = int(std::lround(f.rightMargin() * 20));
}

void RTFCONTROLCLASS::setIndents(int a, int b, int c)
{
    QTextCursor cursor = m_edit->textCursor();
    QTextBlockFormat f = cursor.blockFormat();
    f.setLeftMargin(a / 20.0);
    f.setRightMargin(b / 20.0);
    f.setTextIndent(c / 20.0);
    cursor.setBlockFormat(f);
}

// ---- the windows --------------------------------------------------------------------------

namespace {

QComboBox* unitList(QWidget* parent)
{
    auto* units = new QComboBox(parent);
    units->setObjectName(QStringLiteral("units"));
    units->addItems({QStringLiteral("1/100 of millimeter"), QStringLiteral("1/1000 of inch"),
                     QStringLiteral("twips (1/1440 of inch)")});
    return units;
}

} // namespace

void RTFCONTROLCLASS::TABDLG(int unit)
{
    if (!m_edit)
        return;
    QDialog dialog(m_edit);
    dialog.setObjectName(QStringLiteral("RtfTabs"));
    dialog.setWindowTitle(QStringLiteral("Tabs"));
    auto* units = unitList(&dialog);
    units->setCurrentIndex(std::clamp(unit, 1, 3) - 1);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("tabs"));
    auto* value = new QSpinBox(&dialog);
    value->setObjectName(QStringLiteral("value"));
    value->setRange(0, 1000000);
    QList<int> twips = tabStops();
    bool changedAny = false;
    int shownUnit = units->currentIndex() + 1;
    const auto fill = [&] {
        const int row = list->currentRow();
        list->clear();
        for (int t : twips)
            list->addItem(QString::number(fromTwips(t, shownUnit)));
        list->setCurrentRow(std::min(std::max(row, 0), int(list->count()) - 1));
    };
    fill();
    auto* insert = new QPushButton(QStringLiteral("&Insert"), &dialog);
    auto* change = new QPushButton(QStringLiteral("&Change"), &dialog);
    auto* remove = new QPushButton(QStringLiteral("&Delete"), &dialog);
    auto* clear = new QPushButton(QStringLiteral("Clear &All"), &dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    const auto enable = [&] {
        change->setEnabled(!twips.isEmpty());
        remove->setEnabled(!twips.isEmpty());
    };
    enable();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Units:"), units);
    form->addRow(QStringLiteral("&Tabs"), list);
    form->addRow(QString(), value);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {insert, change, remove, clear, ok, cancel})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addLayout(buttons);
    connect(units, &QComboBox::currentIndexChanged, &dialog, [&](int index) {
        shownUnit = index + 1;
        fill();
    });
    connect(list, &QListWidget::currentRowChanged, &dialog, [&](int row) {
        if (row >= 0 && row < twips.size())
            value->setValue(fromTwips(twips[row], shownUnit));
    });
    connect(insert, &QPushButton::clicked, &dialog, [&] {
        twips << toTwips(value->value(), shownUnit);
        std::sort(twips.begin(), twips.end());
        changedAny = true;
        fill();
        enable();
    });
    connect(change, &QPushButton::clicked, &dialog, [&] {
        const int row = list->currentRow();
        if (row < 0 || row >= twips.size())
            return;
        twips[row] = toTwips(value->value(), shownUnit);
        std::sort(twips.begin(), twips.end());
        changedAny = true;
        fill();
    });
    connect(remove, &QPushButton::clicked, &dialog, [&] {
        const int row = list->currentRow();
        if (row < 0 || row >= twips.size())
            return;
        twips.removeAt(row);
        changedAny = true;
        fill();
        enable();
    });
    connect(clear, &QPushButton::clicked, &dialog, [&] {
        twips.clear();
        changedAny = true;
        fill();
        enable();
    });
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (vrt::runModal(dialog) == QDialog::Accepted && changedAny)
        setTabStops(twips);
}

void RTFCONTROLCLASS::INDENTDLG()
{
    if (!m_edit)
        return;
    QDialog dialog(m_edit);
    dialog.setObjectName(QStringLiteral("RtfIndents"));
    dialog.setWindowTitle(QStringLiteral("Paragraph Indents"));
    int a = 0, b = 0, c = 0;
    indents(a, b, c);
    Indents twipsShown = shown(a, b, c);
    auto* units = unitList(&dialog);
    units->setCurrentIndex(2);
    QSpinBox* boxes[3];
    for (auto*& box : boxes) {
        box = new QSpinBox(&dialog);
        box->setRange(-1000000, 1000000);
    }
    boxes[0]->setObjectName(QStringLiteral("first"));
    boxes[1]->setObjectName(QStringLiteral("left"));
    boxes[2]->setObjectName(QStringLiteral("right"));
    int unit = 3;
    const auto show = [&] {
        boxes[0]->setValue(fromTwips(twipsShown.first, unit));
        boxes[1]->setValue(fromTwips(twipsShown.left, unit));
        boxes[2]->setValue(fromTwips(twipsShown.right, unit));
    };
    const auto take = [&] {
        twipsShown = {toTwips(boxes[0]->value(), unit), toTwips(boxes[1]->value(), unit), toTwips(boxes[2]->value(), unit)};
    };
    show();
    connect(units, &QComboBox::currentIndexChanged, &dialog, [&](int index) {
        take();
        unit = index + 1;
        show();
    });
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Units:"), units);
    form->addRow(QStringLiteral("&First:"), boxes[0]);
    form->addRow(QStringLiteral("&Left:"), boxes[1]);
    form->addRow(QStringLiteral("&Right:"), boxes[2]);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    formAndButtons(dialog, form, {ok, cancel});
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    if (vrt::runModal(dialog) != QDialog::Accepted)
        return;
    take();
    stored(twipsShown, a, b, c);
    setIndents(a, b, c);
}

namespace {

// The modeless find window: "Find" or, with `replacing`, "Find and Replace".
class FindWindow : public QDialog {
public:
    FindWindow(RTFCONTROLCLASS& rtf, bool replacing, const QString& text, QWidget* parent) : QDialog(parent)
    {
        setObjectName(replacing ? QStringLiteral("RtfReplace") : QStringLiteral("RtfFind"));
        setWindowTitle(replacing ? QStringLiteral("Find and Replace") : QStringLiteral("Find"));
        setAttribute(Qt::WA_DeleteOnClose);
        auto* what = new QLineEdit(text.isEmpty() ? (rtf.SELECTEDTEXT().isEmpty() ? rtf.lastFind : rtf.SELECTEDTEXT()) : text);
        what->setObjectName(QStringLiteral("what"));
        what->setMaxLength(255);
        auto* with = new QLineEdit(rtf.lastReplace);
        with->setObjectName(QStringLiteral("with"));
        with->setMaxLength(255);
        auto* whole = new QCheckBox(QStringLiteral(" &Whole words only"));
        whole->setObjectName(QStringLiteral("whole"));
        auto* up = new QRadioButton(QStringLiteral("&Up"));
        up->setObjectName(QStringLiteral("up"));
        auto* down = new QRadioButton(QStringLiteral("&Down"));
        down->setChecked(true); // the direction option starts on 1: down
        auto* cs = new QCheckBox(QStringLiteral(" &Case sensitive search"));
        cs->setObjectName(QStringLiteral("case"));
        auto* next = new QPushButton(QStringLiteral("&Find Next"));
        next->setObjectName(QStringLiteral("next"));
        next->setDefault(true);
        auto* one = new QPushButton(QStringLiteral("&Replace"));
        one->setObjectName(QStringLiteral("replace"));
        auto* all = new QPushButton(QStringLiteral("Replace &All"));
        all->setObjectName(QStringLiteral("all"));
        auto* cancel = new QPushButton(QStringLiteral("Cancel"));
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Fi&nd what:"), what);
        if (replacing)
            form->addRow(QStringLiteral("Replace with:"), with);
        else
            with->hide();
        auto* direction = new QHBoxLayout;
        direction->addWidget(up);
        direction->addWidget(down);
        auto* layout = new QVBoxLayout(this);
        layout->addLayout(form);
        layout->addWidget(whole);
        layout->addWidget(cs);
        layout->addLayout(direction);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(next);
        if (replacing) {
            buttons->addWidget(one);
            buttons->addWidget(all);
        } else {
            one->hide();
            all->hide();
        }
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        const auto flags = [=] { return findFlags(up->isChecked(), cs->isChecked(), whole->isChecked()); };
        connect(next, &QPushButton::clicked, this, [&rtf, what, flags] { rtf.find(what->text(), flags()); });
        connect(one, &QPushButton::clicked, this,
                [&rtf, what, with, flags] { rtf.replace(what->text(), with->text(), flags()); });
        connect(all, &QPushButton::clicked, this,
                [&rtf, what, with, flags] { rtf.replaceAll(what->text(), with->text(), flags() | 16); });
        connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    }
};

} // namespace

void RTFCONTROLCLASS::FINDDLG(const QString& text)
{
    if (m_edit)
        (new FindWindow(*this, false, text, m_edit->window()))->show();
}

void RTFCONTROLCLASS::FINDANDREPLACEDLG(const QString& text)
{
    if (m_edit)
        (new FindWindow(*this, true, text, m_edit->window()))->show();
}

} // namespace ext
