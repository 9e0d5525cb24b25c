#include "controls/HtmlEditor.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontComboBox>
#include <QImageReader>
#include <QInputDialog>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "controls/Controls.h"
#include "runtime/ComponentRegistry.h"
#include "runtime/Paths.h"
#include "runtime/PrivateFiles.h"

namespace controls {

namespace {
constexpr qint64 kMaxDocument = 8 * 1024 * 1024;

QString unquoted(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(QLatin1Char('"')) && s.endsWith(QLatin1Char('"')))
        s = s.mid(1, s.size() - 2);
    return s;
}
} // namespace

HtmlEditor::HtmlEditor(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_bar = new QToolBar(this);
    m_bar->setObjectName(QStringLiteral("HtmlEditorBar"));
    m_stack = new QStackedWidget(this);
    m_edit = new QTextEdit(m_stack);
    m_edit->setObjectName(QStringLiteral("HtmlEditorText"));
    m_edit->setAcceptRichText(true);
    m_edit->installEventFilter(this);
    m_source = new QPlainTextEdit(m_stack);
    m_source->setObjectName(QStringLiteral("HtmlEditorSource"));
    m_stack->addWidget(m_edit);
    m_stack->addWidget(m_source);
    layout->addWidget(m_bar);
    layout->addWidget(m_stack, 1);

    auto charFormat = [this](auto apply) {
        QTextCharFormat f;
        apply(f);
        m_edit->mergeCurrentCharFormat(f);
    };
    QAction* bold = add(QStringLiteral("Bold"), QStringLiteral("Podebljano"), QStringLiteral("B"));
    bold->setCheckable(true);
    connect(bold, &QAction::triggered, this, [=, this](bool on) { charFormat([&](QTextCharFormat& f) { f.setFontWeight(on ? QFont::Bold : QFont::Normal); }); });
    QAction* italic = add(QStringLiteral("Italic"), QStringLiteral("Kurziv"), QStringLiteral("I"));
    italic->setCheckable(true);
    connect(italic, &QAction::triggered, this, [=, this](bool on) { charFormat([&](QTextCharFormat& f) { f.setFontItalic(on); }); });
    QAction* underline = add(QStringLiteral("Underline"), QStringLiteral("Podcrtano"), QStringLiteral("U"));
    underline->setCheckable(true);
    connect(underline, &QAction::triggered, this, [=, this](bool on) { charFormat([&](QTextCharFormat& f) { f.setFontUnderline(on); }); });
    m_font = new QFontComboBox(m_bar);
    m_font->setObjectName(QStringLiteral("Font"));
    m_font->setToolTip(QStringLiteral("Font"));
    m_buttons[QStringLiteral("font")] = m_bar->addWidget(m_font);
    m_buttons[QStringLiteral("font")]->setObjectName(QStringLiteral("Font"));
    connect(m_font, &QFontComboBox::currentFontChanged, this, [=, this](const QFont& font) {
        charFormat([&](QTextCharFormat& f) { f.setFontFamilies({font.family()}); });
        m_edit->setFocus();
    });
    m_size = new QComboBox(m_bar);
    m_size->setObjectName(QStringLiteral("Size"));
    m_size->setToolTip(QStringLiteral("Veličina slova"));
    m_size->setEditable(true);
    for (int points : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48})
        m_size->addItem(QString::number(points));
    m_size->setCurrentText(QStringLiteral("10"));
    m_buttons[QStringLiteral("size")] = m_bar->addWidget(m_size);
    m_buttons[QStringLiteral("size")]->setObjectName(QStringLiteral("Size"));
    connect(m_size, &QComboBox::textActivated, this, [=, this](const QString& text) {
        const double points = text.toDouble();
        if (points >= 1 && points <= 400)
            charFormat([&](QTextCharFormat& f) { f.setFontPointSize(points); });
        m_edit->setFocus();
    });
    // The letters show what they do.
    for (auto [action, style] : {std::pair{bold, 0}, std::pair{italic, 1}, std::pair{underline, 2}}) {
        QFont f = action->font();
        f.setBold(style == 0);
        f.setItalic(style == 1);
        f.setUnderline(style == 2);
        action->setFont(f);
    }
    connect(m_edit, &QTextEdit::currentCharFormatChanged, this, [=, this](const QTextCharFormat& f) {
        bold->setChecked(f.fontWeight() >= QFont::Bold);
        italic->setChecked(f.fontItalic());
        underline->setChecked(f.fontUnderline());
        const QSignalBlocker quietFont(m_font), quietSize(m_size);
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty())
            m_font->setCurrentFont(QFont(families.first()));
        if (f.fontPointSize() > 0)
            m_size->setCurrentText(QString::number(f.fontPointSize()));
    });
    connect(add(QStringLiteral("Color"), QStringLiteral("Boja slova"), QStringLiteral("A")), &QAction::triggered, this, [=, this] {
        const QColor c = QColorDialog::getColor(m_edit->textColor(), this);
        if (c.isValid())
            charFormat([&](QTextCharFormat& f) { f.setForeground(c); });
    });
    connect(add(QStringLiteral("Link"), QStringLiteral("Poveznica"), QStringLiteral("@")), &QAction::triggered, this, [=, this] {
        bool ok = false;
        const QString url = QInputDialog::getText(this, QStringLiteral("Poveznica"), QStringLiteral("URL:"), QLineEdit::Normal, {}, &ok).trimmed();
        if (!ok || url.isEmpty())
            return;
        QTextCursor c = m_edit->textCursor();
        QTextCharFormat f;
        f.setAnchor(true);
        f.setAnchorHref(url);
        f.setFontUnderline(true);
        if (!c.hasSelection())
            c.insertText(url, f);
        else
            c.mergeCharFormat(f);
    });
    pickImage = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Slika"), QString(),
                                            QStringLiteral("Slike (*.png *.jpg *.jpeg *.gif *.bmp)"));
    };
    connect(add(QStringLiteral("Image"), QStringLiteral("Slika"), QStringLiteral("▣")), &QAction::triggered, this, [this] {
        const QString path = pickImage ? pickImage() : QString();
        if (!path.isEmpty())
            insertImage(path);
    });
    auto align = [this](Qt::Alignment a) { return [this, a] { m_edit->setAlignment(a); }; };
    connect(add(QStringLiteral("Left"), QStringLiteral("Lijevo poravnanje"), QStringLiteral("|<")), &QAction::triggered, this, align(Qt::AlignLeft));
    connect(add(QStringLiteral("Center"), QStringLiteral("Centrirano"), QStringLiteral("|=|")), &QAction::triggered, this, align(Qt::AlignHCenter));
    connect(add(QStringLiteral("Right"), QStringLiteral("Desno poravnanje"), QStringLiteral(">|")), &QAction::triggered, this, align(Qt::AlignRight));
    auto list = [this](QTextListFormat::Style style) {
        return [this, style] { m_edit->textCursor().createList(style); };
    };
    connect(add(QStringLiteral("unorderedlist"), QStringLiteral("Grafičke oznake"), QStringLiteral("•")), &QAction::triggered, this, list(QTextListFormat::ListDisc));
    connect(add(QStringLiteral("orderedlist"), QStringLiteral("Numeriranje"), QStringLiteral("1.")), &QAction::triggered, this, list(QTextListFormat::ListDecimal));
    auto indent = [this](int step) {
        return [this, step] {
            QTextCursor c = m_edit->textCursor();
            QTextBlockFormat f = c.blockFormat();
            f.setIndent(std::max(0, f.indent() + step));
            c.setBlockFormat(f);
        };
    };
    connect(add(QStringLiteral("indent"), QStringLiteral("Uvlaka"), QStringLiteral("->")), &QAction::triggered, this, indent(1));
    connect(add(QStringLiteral("Unindent"), QStringLiteral("Smanji uvlaku"), QStringLiteral("<-")), &QAction::triggered, this, indent(-1));
    connect(add(QStringLiteral("Table"), QStringLiteral("Tablica"), QStringLiteral("#")), &QAction::triggered, this, [this] {
        QTextTableFormat f;
        f.setBorder(1);
        f.setCellPadding(2);
        m_edit->textCursor().insertTable(2, 2, f);
    });
    connect(add(QStringLiteral("Undo"), QStringLiteral("Poništi"), QStringLiteral("↶")), &QAction::triggered, m_edit, &QTextEdit::undo);
    connect(add(QStringLiteral("Redo"), QStringLiteral("Ponovi"), QStringLiteral("↷")), &QAction::triggered, m_edit, &QTextEdit::redo);
    connect(add(QStringLiteral("Toggle"), QStringLiteral("HTML izvor"), QStringLiteral("</>")), &QAction::triggered, this, &HtmlEditor::toggleSource);

    m_properties = {{QStringLiteral("useEnterAsBR"), 0}, {QStringLiteral("DocumentHTML"), QString()},
                    {QStringLiteral("HiddenButtons"), QString()}, {QStringLiteral("HiddenContextMenus"), QString()},
                    {QStringLiteral("baseUrl"), QString()}, {QStringLiteral("CSShttp"), 0},
                    {QStringLiteral("showDOMToolbar"), 0}, {QStringLiteral("cssText"), QString()},
                    {QStringLiteral("AlwaysConvertUnicodeCharacters"), 0}};
}

HtmlEditor* HtmlEditor::createByProgId(QWidget* parent)
{
    registerBuiltInControls();
    auto* made = qobject_cast<HtmlEditor*>(vrt::ComponentRegistry::instance().create(QString::fromLatin1(kHtmlEditorProgId), parent));
    return made ? made : new HtmlEditor(parent);
}

QAction* HtmlEditor::add(const QString& name, const QString& tip, const QString& text)
{
    QAction* a = m_bar->addAction(text);
    a->setObjectName(name);
    a->setToolTip(tip);
    m_buttons[name.toLower()] = a;
    return a;
}

QAction* HtmlEditor::button(const QString& name) const
{
    const auto it = m_buttons.find(name.toLower());
    return it == m_buttons.end() ? nullptr : it->second;
}

QStringList HtmlEditor::buttonNames() const
{
    QStringList out;
    for (QAction* a : m_bar->actions())
        out << a->objectName();
    return out;
}

bool HtmlEditor::sourceShown() const { return m_stack->currentWidget() == m_source; }

void HtmlEditor::toggleSource()
{
    if (sourceShown()) {
        m_edit->setHtml(m_source->toPlainText());
        m_stack->setCurrentWidget(m_edit);
    } else {
        m_source->setPlainText(m_edit->toHtml());
        m_stack->setCurrentWidget(m_source);
    }
}

void HtmlEditor::applyHidden()
{
    const QStringList hidden = m_properties[QStringLiteral("HiddenButtons")].toString().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const auto& [name, action] : m_buttons) {
        bool hide = false;
        for (const QString& h : hidden)
            hide = hide || h.trimmed().compare(name, Qt::CaseInsensitive) == 0;
        action->setVisible(!hide);
    }
}

bool HtmlEditor::setEditorProperty(const QString& name, const QVariant& value)
{
    QString key;
    for (const auto& [k, v] : m_properties)
        if (k.compare(name, Qt::CaseInsensitive) == 0)
            key = k;
    if (key.isEmpty())
        return false;
    m_properties[key] = value;
    if (key == QLatin1String("DocumentHTML")) {
        setDocumentHtml(value.toString());
    } else if (key == QLatin1String("HiddenButtons")) {
        applyHidden();
    } else if (key == QLatin1String("baseUrl")) {
        const QUrl url(unquoted(value.toString()));
        if (url.isLocalFile())
            m_edit->document()->setBaseUrl(url);
    } else if (key == QLatin1String("cssText")) {
        // Only a local style sheet is read; anything else leaves the default look.
        const QUrl url(unquoted(value.toString()));
        QFile f(url.isLocalFile() ? url.toLocalFile() : QString());
        if (url.isLocalFile() && QFileInfo(f.fileName()).isFile() && f.size() <= kMaxDocument && f.open(QIODevice::ReadOnly))
            m_edit->document()->setDefaultStyleSheet(QString::fromUtf8(f.readAll()));
    }
    return true;
}

QVariant HtmlEditor::editorProperty(const QString& name) const
{
    if (name.compare(QLatin1String("DocumentHTML"), Qt::CaseInsensitive) == 0)
        return documentHtml();
    for (const auto& [k, v] : m_properties)
        if (k.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    return {};
}

bool HtmlEditor::call(const QString& method)
{
    const qsizetype open = method.indexOf(QLatin1Char('('));
    if (open < 0 || !method.trimmed().endsWith(QLatin1Char(')')))
        return false;
    const QString name = method.left(open).trimmed();
    const QString arg = unquoted(method.mid(open + 1, method.lastIndexOf(QLatin1Char(')')) - open - 1));
    if (name.compare(QLatin1String("Open_Document"), Qt::CaseInsensitive) == 0)
        return openDocument(arg);
    if (name.compare(QLatin1String("Save_Document"), Qt::CaseInsensitive) == 0)
        return saveDocument(arg);
    return false;
}

bool HtmlEditor::openDocument(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        setDocumentHtml({});
        return false;
    }
    QFile f(path);
    if (!info.isFile() || info.size() > kMaxDocument || !f.open(QIODevice::ReadOnly))
        return false;
    m_edit->document()->setBaseUrl(QUrl::fromLocalFile(info.absolutePath() + QLatin1Char('/')));
    setDocumentHtml(QString::fromUtf8(f.read(kMaxDocument)));
    return true;
}

bool HtmlEditor::saveDocument(const QString& path)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(documentHtml().toUtf8());
    if (!f.commit())
        return false;
    vrt::makePrivate(path); // a mail being written, a signature: the user's alone
    m_edit->document()->setModified(false);
    return true;
}

bool HtmlEditor::insertImage(const QString& path)
{
    const QFileInfo info(path);
    QImageReader reader(path);
    if (!info.isFile() || !reader.canRead())
        return false;
    QString file = info.absoluteFilePath();
    if (!m_imageFolder.isEmpty() && !vrt::isInsideFolder(m_imageFolder, file)) {
        if (!vrt::makePrivateFolder(m_imageFolder))
            return false;
        // A name of its own: an image inserted earlier under the same name stays as it was.
        const QString name = vrt::safeFileName(info.fileName(), QStringLiteral("slika.png"));
        const QString stem = QFileInfo(name).completeBaseName(), suffix = QFileInfo(name).suffix();
        file = QDir(m_imageFolder).filePath(name);
        for (int n = 2; QFileInfo::exists(file); ++n)
            file = QDir(m_imageFolder).filePath(QStringLiteral("%1_%2.%3").arg(stem).arg(n).arg(suffix));
        if (!QFile::copy(info.absoluteFilePath(), file)) // the copy takes the source's mode
            return false;
        vrt::makePrivate(file);
    }
    QTextImageFormat image;
    image.setName(QUrl::fromLocalFile(file).toString());
    const QSize size = reader.size();
    // A large picture is shown no wider than the page; the file goes out whole.
    if (size.width() > 600) {
        image.setWidth(600);
        image.setHeight(600.0 * size.height() / size.width());
    }
    m_edit->textCursor().insertImage(image);
    return true;
}

QString HtmlEditor::documentHtml() const
{
    return sourceShown() ? m_source->toPlainText() : m_edit->toHtml();
}

void HtmlEditor::setDocumentHtml(const QString& html)
{
    m_edit->setHtml(html);
    m_edit->document()->setModified(false);
    if (sourceShown())
        m_source->setPlainText(m_edit->toHtml());
}

bool HtmlEditor::isModified() const { return m_edit->document()->isModified(); }

bool HtmlEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_edit && event->type() == QEvent::KeyPress && m_properties[QStringLiteral("useEnterAsBR")].toInt() == 1) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !(key->modifiers() & Qt::ShiftModifier)) {
            // A line break, not a new paragraph: a signature keeps its lines close.
            m_edit->textCursor().insertText(QString(QChar::LineSeparator));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace controls
