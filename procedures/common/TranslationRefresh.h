#pragma once
#include <QString>
#include <map>

class QUILVO;
namespace vrt { class ErrorClass; }

// Brings the library's texts to the current language: the translator's files and language,
// the runtime's stock texts (button captions, month names, character set, runtime error
// messages) and the translator's own messages registered with the library's error object.
namespace VelmoraDll {

// The runtime's error messages by error number, in the current language.
std::map<int, QString> runtimeErrorTexts();
// The character set the translation table names for this language (0 when it names none).
int runtimeCharset();

void S_RefreshTranslation(QUILVO& translator, vrt::ErrorClass& errors, const QString& translationFile, int language);
// With the library's translator and error object and the language the program last read.
void S_RefreshTranslation();

// What every window of the library does while it opens: refresh only when the language or the
// translation file differs from what the texts were last set for, then remember both.
// Returns whether a refresh ran.
bool refreshTranslationIfChanged(QUILVO& translator, vrt::ErrorClass& errors, const QString& translationFile,
                                 int language);
bool refreshTranslationIfChanged();

} // namespace VelmoraDll
