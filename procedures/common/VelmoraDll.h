#pragma once
#include <QString>
#include <set>
#include <string>

#include "runtime/ErrorClass.h"
#include "runtime/IniClass.h"

class QUILVO;
namespace SSTF { class LIMITSTARTSCLASS; }

// A sorted set of texts of up to 1024 characters (the notes list keeps tagged ids in it).
class TagSetClass {
public:
    virtual ~TagSetClass() = default;
    void Init();
    void Kill();
    virtual void Add(const QString& text);
    virtual void Remove(const QString& text);
    virtual void Toggle(const QString& text);
    bool IsTagged(const QString& text) const;
    size_t size() const { return m_tags.size(); }

private:
    static QString keyOf(const QString& text);
    std::set<QString> m_tags;
};

namespace VelmoraDll {

// First call only: keeps the non-null arguments, binds the calling thread's table managers to
// the library's error manager and passes both arguments on to the dictionary as received.
void INIT(vrt::ErrorClass* errors, vrt::IniClass* settings);
void KILL();

// Library start-up (idempotent) and its pair; every program and test fixture calls load() first.
void load();
void unload();
// The start-up steps load() runs: data folder, language, translator, hooks.
void InitDllGlobals();

vrt::ErrorClass* LibraryErrors();
vrt::IniClass* LibrarySettings();
QUILVO& translator();
SSTF::LIMITSTARTSCLASS& startLimiter();
TagSetClass& tagSet();

extern QString AlternateRowColor;
extern int LoadedLanguage;
extern QString LoadedTranslationFile;

// The language set-up of the library's start-up, by the text of "UseLanguage" ("1", "2",
// "3"; anything else sets nothing). Returns whether something was set.
bool setUpLanguage(const QString& useLanguage);

// The dictionary entries INIT and KILL call; tests replace them with spies.
struct DictionaryEntries {
    void (*init)(vrt::ErrorClass*, vrt::IniClass*);
    void (*kill)();
};
void setDictionaryEntries(DictionaryEntries entries);
// Clears the once-flags; for tests only.
void resetForTest();

} // namespace VelmoraDll
