#pragma once
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <functional>
#include <map>

class QAction;
class QComboBox;
class QFontComboBox;
class QTextEdit;
class QPlainTextEdit;
class QToolBar;
class QStackedWidget;

namespace controls {

inline constexpr const char* kHtmlEditorProgId = "Velmora.HtmlEditor.1";

// The program's HTML editor: a formatting bar over a rich text editor, driven as the forms
// drive an HTML editing component — properties set by name, documents opened from and saved
// to local HTML files. Signatures are edited with it, and so is the body of a new message.
class HtmlEditor : public QWidget {
    Q_OBJECT
public:
    explicit HtmlEditor(QWidget* parent = nullptr);
    // Made by its program identifier, as the forms make it; made directly should that fail.
    static HtmlEditor* createByProgId(QWidget* parent = nullptr);

    // The properties the forms set: "useEnterAsBR", "DocumentHTML", "HiddenButtons" (names
    // separated by ";"), "HiddenContextMenus", "baseUrl", "CSShttp", "showDOMToolbar",
    // "cssText" (a local "file:///" style sheet), "AlwaysConvertUnicodeCharacters". False for
    // a name it does not know.
    bool setEditorProperty(const QString& name, const QVariant& value);
    QVariant editorProperty(const QString& name) const;

    // "Open_Document(\"path\")" and "Save_Document(\"path\")"; false for anything else or
    // when the call failed.
    bool call(const QString& method);
    // Loads a local HTML file; a file that is not there empties the editor. Only regular files
    // of at most 8 MB are read.
    bool openDocument(const QString& path);
    // Writes the document as a whole HTML file in UTF-8, replacing an existing one; the folder
    // is made when missing.
    bool saveDocument(const QString& path);

    // Where a picked image is copied before it joins the document, so the document refers
    // only to files the program keeps (and a message sends them inline). Empty: the image is
    // used where it lies.
    void setImageFolder(const QString& folder) { m_imageFolder = folder; }
    QString imageFolder() const { return m_imageFolder; }
    // "Slika": puts the image file at the cursor; false when it is not a readable image or
    // cannot be copied.
    bool insertImage(const QString& path);
    // What the "Slika" button asks for; by default the file dialog.
    std::function<QString()> pickImage;

    QFontComboBox* fontBox() const { return m_font; }
    QComboBox* sizeBox() const { return m_size; }

    QString documentHtml() const;
    void setDocumentHtml(const QString& html);
    bool isModified() const;

    QTextEdit* textEdit() const { return m_edit; }
    QToolBar* toolBar() const { return m_bar; }
    // The bar's buttons by name ("Bold", "Table", "Toggle", ...).
    QAction* button(const QString& name) const;
    QStringList buttonNames() const;
    bool sourceShown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* add(const QString& name, const QString& tip, const QString& text);
    void toggleSource();
    void applyHidden();

    QToolBar* m_bar;
    QStackedWidget* m_stack;
    QTextEdit* m_edit;
    QPlainTextEdit* m_source;
    std::map<QString, QAction*> m_buttons;
    std::map<QString, QVariant> m_properties;
    QFontComboBox* m_font;
    QComboBox* m_size;
    QString m_imageFolder;
};

} // namespace controls
