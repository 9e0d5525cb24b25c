#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

class QTextDocument;

// Rich text as RTF: the writer gives what the editor's documents hold (fonts, sizes, bold,
// italic, underline, text and background colours, paragraph alignment, first/left/right
// indents, tab stops, bullet and numbered lists, tabs and line breaks, any Unicode letter as
// \uN), and the reader takes the same back. RTF from elsewhere is read for its text and for
// what of this it carries; the rest is passed over and named in the warnings. Lengths in the
// document are points; RTF counts twips (20 to the point).
namespace ext::rtf {

QByteArray write(const QTextDocument& document);
// Replaces the document's content; false when the data is not RTF (nothing is changed then).
bool read(const QByteArray& data, QTextDocument& document, QStringList* warnings = nullptr);

} // namespace ext::rtf
