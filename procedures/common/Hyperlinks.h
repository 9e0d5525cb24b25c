#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

// Link texts and their launching: what kind of link a text is, the mail and web forms of it,
// which program would open it, and the messages of a failed start.
namespace VelmoraDll::links {

enum class Kind { None, Web, Mail, Skype, File };

// Web for "www."/"http://" texts, Mail for texts with "@" (unless `notAnEmail`), Skype for a
// Skype action 1..5, File for any other non-empty text.
Kind kindOf(const QString& text, int skypeFunction = 0, bool notAnEmail = false);

// The text with "mailto:" (it holds "@") or "http://" in front unless already there, wrapped
// by kind: 0 as an anchor opening, 1 in double quotes, other kinds bare.
QString GetHREF(const QString& text, int kind);
// The part between the first two double quotes ("" without two quotes).
QString GetQuoted(const QString& text);
// Percent-encodes what a mail program would misread, from "&body=" on when there is one.
QString MakeEmailURLSafe(const QString& text);
// "skype:" + name + "?call" / "?chat" / "?add" / "?voicemail" / "?userinfo" for 1..5.
QString skypeLink(const QString& name, int function);
// The mail command: "mailto:" unless present (any case), trailing blanks gone, cut so that
// the mail program's command and the link stay within `limit` (0 or less: no limit).
QString mailCommand(const QString& text, int limit, int handlerLength);

struct ShellError {
    QString text;
    QString caption;
};
// A start that failed with `code`: "(" code ") " + the code's text (with its line break) +
// the command, captioned "Shell Execute Error:" + code.
ShellError shellError(int code, const QString& command);

// Where the program that opens a link is found. Keys are those the link types are known by:
// "mailto\shell\open\command", ".pdf" (whose value is a type name), "<type>\shell\open\command".
class HandlerLookup {
public:
    virtual ~HandlerLookup() = default;
    // The key's value, empty when there is none.
    virtual QString read(const QString& key) = 0;
};

// The desktop's own associations (xdg-mime and the shared MIME database).
std::unique_ptr<HandlerLookup> makeDesktopLookup();

// Starts a program with a list of arguments (never one command line through a shell).
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
};
std::unique_ptr<LinkOpener> makeDetachedOpener();

// The tries for a file link, in order: ext + "file", ext + "_auto_file", then the type "." + ext
// names. Writes each try through `trace` when given. Empty when nothing opens it.
QString findFileHandler(HandlerLookup& lookup, const QString& text,
                        const std::function<void(const QString&)>& trace = {});

} // namespace VelmoraDll::links
