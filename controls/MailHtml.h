#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

// Mail HTML made safe for any QTextDocument (the preview, plain text, quoting, reports).
// Qt's image handler opens a raw `src` by itself when a resource lookup returns nothing, so
// every address is settled here, before a document sees the markup. No widgets: the rules are
// tested on their own.
namespace controls {

// Deepest element nesting handed to a document; its layout recurses per level, and a hostile
// mail nests thousands deep.
inline constexpr int kMaxHtmlNesting = 64;
// Deepest nesting of tables kept: the layout's work doubles with each level.
inline constexpr int kMaxTableNesting = 6;
// Tables kept in one mail; the rest show their text without the grid.
inline constexpr int kMaxTables = 500;
// Largest body file and largest image a mail's HTML may use.
inline constexpr qint64 kMaxPreviewBytes = 16 * 1024 * 1024;
// Largest text, in characters, a body is shown with; the rest is cut with a note.
inline constexpr qsizetype kMaxMailHtmlText = 1024 * 1024;

struct MailHtmlRules {
    // The message's own folder: an image source survives only as the absolute address of a
    // regular file inside it (at most kMaxPreviewBytes). Empty: no image survives.
    QString folder;
    // `data:image/...` sources of at most 64 kB; the program's own pages carry icons so.
    bool dataImages = false;
};

// `html` parsed as HTML5 and written back as a safe subset: no script, frame, form, object,
// remote or outside address, CSS `url()` or import; elements nested deeper than
// kMaxHtmlNesting lose their tags (their text stays), a table only where its cells fit; an
// attribute longer than 4,096 characters is dropped.
QString safeMailHtml(const QString& html, const MailHtmlRules& rules = {});

// A body file's bytes as text: UTF-8 when they are, else the charset the HTML declares, else
// Latin-1.
QString decodeMailHtml(const QByteArray& bytes);

// The plain text of mail HTML, made safe first (no image, no address reaches the document).
QString mailHtmlToPlainText(const QString& html);

// The bytes of `path` when, with every link resolved, it is a regular file inside `folder`
// (canonical) of at most `cap` bytes. Opening never blocks on a pipe and never follows a link
// swapped in after the check.
std::optional<QByteArray> readFileInside(const QString& folder, const QString& path, qint64 cap);

} // namespace controls
