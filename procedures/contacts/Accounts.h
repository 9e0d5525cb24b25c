#pragma once
#include <QString>
#include <array>

// Mail accounts apart from their windows: the folder tree every account gets, the one default
// account, and the signature files.
namespace mailpeople {

struct StandardFolder {
    const char* name;   // shown (translated when created); the root takes the account's name
    const char* system; // INB:ENNAZIV, what the receiving and the folder pane look for
};
// The root first, then the five standard folders in their order.
const std::array<StandardFolder, 6>& standardFolders();

// T_Accounti.ProvjeriInbox: gives every account what it misses of its root and standard
// folders, each looked up by its system name, so running it again adds nothing. A failed
// insert stops the program with "T_Accounti ProvjeriInbox Insert(n) :"; answers false then.
bool ProvjeriInbox();

// After account `keep` was written as the default: every other account loses the flag.
// A failed write stops with "F_Accounts DefaultAccount :"; answers false then.
bool clearOtherDefaults(long keep);

enum class Signature { NewEmail, ReplyEmail };
// <data>/Documents/Signature/<id>_NewEmail.html or _ReplyEmail.html.
QString signaturePath(const QString& dataFolder, long accountId, Signature kind);
// A deleted account's signatures go with it, so an id given out again starts without them.
void removeSignatures(const QString& dataFolder, long accountId);

} // namespace mailpeople
