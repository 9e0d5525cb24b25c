#pragma once
#include <QString>
#include <QStringList>
#include <functional>

namespace office {
class AutomationObject;
// "Outlook.Application": new messages of our own mail, kept as drafts (.eml) in the draft
// folder and shown in the mail editor when one is set up.
AutomationObject* makeOutlookObject();

// Where drafts go: empty means "Email/Drafts" under the folder the program runs in (the data
// folder).
QString& mailDraftFolder();
// Opens a saved draft in the mail editor; none set: showing a message is not available.
std::function<bool(const QString& draftPath, const QStringList& recipients)>& mailEditorOpener();
} // namespace office
