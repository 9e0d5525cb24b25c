#pragma once
#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

#include "services/ComEvents.h"

// Hosted components of a window ("OLE controls"): a control made by program identifier,
// reached by automation paths, and the object classes that wrap one control or one object
// reached through it.
namespace ourcom {

// Paths an automation object answers ("Count", "Item(2)", "Cells(1,2).Value"). A path that
// names another object answers its reference text (a grave accent and a number).
class IAutomationPaths : public IUnknownLike {
public:
    static const Guid& iid();
    virtual QString read(const QString& path) = 0;
    virtual bool write(const QString& path, const QString& value) = 0;
};

// What a hosted object may offer of a document's life: open, save, verbs, the clipboard.
class IOleDocument : public IUnknownLike {
public:
    static const Guid& iid();
    virtual bool open(const QString& file) = 0;
    virtual bool saveAs(const QString& file) = 0;
    virtual bool doVerb(int verb) = 0;
    virtual bool update() = 0;
    virtual bool copy() = 0;
    virtual bool paste(bool link) = 0;
    virtual bool canPaste(bool link) const = 0;
    virtual QByteArray saveToBlob() = 0;
    virtual bool readFromBlob(const QByteArray& data) = 0;
};

// The runtime's properties and actions of a hosted control, by number.
enum OleProperty : int {
    PROP_AUTOSIZE = 31978, PROP_CLIP = 31979, PROP_STRETCH = 31980, PROP_ZOOM = 31981,
    PROP_COMPATIBILITY = 31982, PROP_DOCUMENT = 31984, PROP_LINK = 31985,
    PROP_CREATE = 31942, PROP_SAVEAS = 31943, PROP_OPEN = 31944, PROP_BLOB = 31945, PROP_DOVERB = 31946,
    PROP_RELEASE = 31950, PROP_END = 31951, ACTION_UPDATE = 31952, ACTION_PASTE = 31953,
    PROP_REPORTEXCEPTION = 31954, ACTION_PASTELINK = 31955, ACTION_COPY = 31956,
    PROP_CANPASTE = 31957, PROP_CANPASTELINK = 31958, PROP_CREATED = 31963, PROP_OBJECT = 31989,
};

// One hosted control: an invisible child of its window, numbered, holding the component the
// registry makes for a program identifier. Paths that start with a reference go to the
// object the reference names.
class OleControl : public QWidget {
    Q_OBJECT
public:
    OleControl(QWidget* window, int number);
    ~OleControl() override;

    static OleControl* find(QWidget* window, int number);
    int number() const { return m_number; }

    bool create(const QString& progId);
    bool hasObject() const { return m_unknown != nullptr; }
    QString objectReference() const { return m_reference; }
    void releaseReference(const QString& reference);
    void endObject();

    // Empty with lastError() set when the object cannot answer.
    QString read(const QString& path);
    bool write(const QString& path, const QString& value);
    QVariant property(int number) const;
    bool setProperty(int number, const QVariant& value);
    bool action(int number);
    QString lastError() const { return m_error; }
    // Hands a component event to the object classes registered for this control.
    int raiseEvent(int event);

private:
    IAutomationPaths* pathsFor(const QString& path, QString& rest);
    IOleDocument* document() const;

    int m_number;
    QObject* m_object = nullptr;
    IUnknownLike* m_unknown = nullptr;
    QString m_reference;
    QString m_error;
    std::map<int, QVariant> m_flags;
};

// Wraps one control, or one object reached through a control's automation paths (then
// OLEDISPATCH is its reference followed by "."). Messages go through the runtime's message
// box; results follow the runtime's 0/1 conventions.
class OLEOBJECTCLASS {
public:
    OLEOBJECTCLASS() = default;
    virtual ~OLEOBJECTCLASS();
    OLEOBJECTCLASS(const OLEOBJECTCLASS&) = delete;
    OLEOBJECTCLASS& operator=(const OLEOBJECTCLASS&) = delete;

    virtual void SETCLIP(bool on);
    virtual void SETSTRETCH(bool on);
    virtual void SETAUTOSIZE(bool on);
    virtual void SETZOOM(bool on);
    virtual void SETCOMPATIBILITY(std::int32_t value);
    virtual void SETREPORTEXCEPTION(bool on);
    virtual bool OPEN(const QString& file);
    virtual void DOCUMENT(const QString& text);
    virtual void LINK(const QString& text);
    virtual bool SAVETOBLOB(QByteArray& blob);
    virtual bool READFROMBLOB(const QByteArray& blob);
    virtual bool SAVEAS(const QString& file);
    virtual bool DOVERB(std::int16_t verb);
    virtual bool UPDATE();
    virtual std::int32_t CANPASTE();
    virtual bool PASTE();
    virtual std::int32_t CANPASTELINK();
    virtual bool PASTELINK();
    virtual bool COPY();

    // A new hidden control in `window` (the active window when none is given).
    virtual bool INIT(QWidget* window = nullptr);
    virtual void INIT(QWidget* window, std::int32_t control);
    // Makes the control's object when it has none; with OLECONTROLFILENAME set, registers that
    // library's components and tries once more. False when no object could be made.
    virtual bool INIT(QWidget* window, std::int32_t control, const QString& progId);
    // An object reached through a path: false (after the message) when the name is empty.
    virtual bool INIT(QWidget* window, std::int32_t control, const QString& creationName,
                      const QString& dispatchName, bool autoRelease);
    virtual void ENABLEEVENTS() {}
    virtual void INITPROPERTIES() {}
    virtual void KILLPROPERTIES() {}
    virtual QString GETOBJECT();
    virtual void CREATEFROM(OLEOBJECTCLASS& other);
    virtual std::int32_t HANDLEOLEEVENT(std::int16_t& event) { return 0; }
    virtual void HANDLEEVENT() {}
    virtual bool CHECKCREATEERROR(const QString& name, const QString& reference);
    virtual void KILL();

    // The registered object for a control's event, nullptr when none.
    static OLEOBJECTCLASS* registered(QWidget* window, std::int32_t control);

    struct Event {
        std::int32_t EVENTID = 0;
        std::vector<QString> PARAMETERS;
    };

    std::uint8_t OLETYPECREATED = 0;
    std::uint8_t OLECONTROLCREATED = 0;
    std::uint8_t DEAD = 0;
    std::vector<Event> EVENTS;
    QPointer<QWidget> OLEWINDOW;
    std::int32_t OLECONTROL = 0;
    QString OLEDISPATCH;
    QString OLECONTROLFILENAME;
    std::uint8_t AUTORELEASE = 0;

protected:
    OleControl* control() const;
    QString readPath(const QString& member);

private:
    void enter();
    void leave();
};

// An automation collection: COUNT and ITEM(i), each item a new object the caller kills.
class OLEOBJECTCOLLECTIONCLASS : public OLEOBJECTCLASS {
public:
    std::int32_t COUNT();
    std::unique_ptr<OLEOBJECTCLASS> ITEM(std::int32_t index);
};

} // namespace ourcom
