#include "chrome/ThemeLibrary.h"

#include <QColor>
#include <QPainter>

#include <map>
#include <mutex>
#include <utility>

namespace pxp {

COLORREF editFrameColor(long state)
{
    switch (state) {
    case ETS_HOT: return rgb(77, 120, 175);
    case ETS_SELECTED:
    case ETS_FOCUSED: return rgb(49, 106, 197);
    case ETS_DISABLED: return rgb(201, 199, 186);
    case ETS_READONLY: return rgb(165, 172, 178);
    default: return rgb(127, 157, 185);
    }
}

COLORREF editFillColor(long state)
{
    switch (state) {
    case ETS_DISABLED: return rgb(235, 235, 228);
    case ETS_READONLY: return rgb(236, 233, 216);
    default: return rgb(255, 255, 255);
    }
}

namespace {

QColor qcolor(COLORREF c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

std::mutex& nameMutex()
{
    static std::mutex m;
    return m;
}
ThemeNameProvider& nameProvider()
{
    static ThemeNameProvider provider;
    return provider;
}

// Velmora's own theme art: the theme classes the chrome asks for, drawn with QPainter.
class ThemeRenderer final : public ThemeLibrary {
public:
    HTHEME openThemeData(QObject*, const QString& classList) override
    {
        static const QStringList known = {
            QStringLiteral("BUTTON"), QStringLiteral("EDIT"), QStringLiteral("COMBOBOX"),
            QStringLiteral("SPIN"), QStringLiteral("HEADER"), QStringLiteral("LISTVIEW"),
            QStringLiteral("TAB"), QStringLiteral("SCROLLBAR"), QStringLiteral("EXPLORERBAR"),
            QStringLiteral("REBAR"), QStringLiteral("TOOLBAR"), QStringLiteral("WINDOW")};
        for (const QString& part : classList.split(u';')) {
            const QString name = part.trimmed().toUpper();
            if (!known.contains(name))
                continue;
            std::lock_guard<std::mutex> lock(m_mutex);
            const HTHEME handle = ++m_lastHandle;
            m_open.emplace(handle, name);
            return handle;
        }
        return 0;
    }

    long closeThemeData(HTHEME theme) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_open.erase(theme) ? THEME_OK : THEME_FAILED;
    }

    long drawThemeBackground(HTHEME theme, QPainter& painter, long part, long state,
                             const QRect& rect, const QRect* clip) override
    {
        if (className(theme) != QLatin1String("EDIT") || part != EP_EDITTEXT || rect.isEmpty())
            return THEME_FAILED;
        painter.save();
        if (clip)
            painter.setClipRect(*clip, Qt::IntersectClip);
        painter.fillRect(rect, qcolor(editFillColor(state)));
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(qcolor(editFrameColor(state)), 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.restore();
        return THEME_OK;
    }

    bool getThemeColor(HTHEME theme, long part, long state, long property, COLORREF& colour) override
    {
        if (className(theme) != QLatin1String("EDIT") || part != EP_EDITTEXT)
            return false;
        if (property == TMT_BORDERCOLOR)
            colour = editFrameColor(state);
        else if (property == TMT_FILLCOLOR)
            colour = editFillColor(state);
        else
            return false;
        return true;
    }

    bool getCurrentThemeName(QString& fileName, QString& colourName) override
    {
        fileName.clear();
        colourName.clear();
        ThemeNameProvider provider;
        {
            std::lock_guard<std::mutex> lock(nameMutex());
            provider = nameProvider();
        }
        if (provider)
            provider(fileName, colourName);
        return true;
    }

private:
    QString className(HTHEME theme)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_open.find(theme);
        return it == m_open.end() ? QString() : it->second;
    }

    std::mutex m_mutex;
    HTHEME m_lastHandle = 0;
    std::map<HTHEME, QString> m_open;
};

struct Module {
    std::mutex mutex;
    ThemeLibraryLoader loader = loadThemeRenderer;
    std::unique_ptr<ThemeLibrary> library;
};
Module& module()
{
    static Module m;
    return m;
}

} // namespace

ThemeLibrary* loadThemeLibrary()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    if (!m.library && m.loader)
        m.library = m.loader();
    return m.library.get();
}

ThemeLibrary* boundThemeLibrary()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    return m.library.get();
}

std::unique_ptr<ThemeLibrary> loadThemeRenderer()
{
    const QString setting = qEnvironmentVariable("VELMORA_THEME").trimmed().toLower();
    if (setting == QLatin1String("off") || setting == QLatin1String("0"))
        return nullptr;
    return std::make_unique<ThemeRenderer>();
}

ScopedThemeLoader::ScopedThemeLoader(ThemeLibraryLoader loader)
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    m_loader = std::exchange(m.loader, std::move(loader));
    m_library = std::move(m.library);
}

ScopedThemeLoader::~ScopedThemeLoader()
{
    Module& m = module();
    std::lock_guard<std::mutex> lock(m.mutex);
    m.loader = std::move(m_loader);
    m.library = std::move(m_library);
}

ScopedThemeName::ScopedThemeName(QString fileName, QString colourName)
{
    std::lock_guard<std::mutex> lock(nameMutex());
    m_previous = std::exchange(nameProvider(), [fileName, colourName](QString& file, QString& colour) {
        file = fileName;
        colour = colourName;
    });
}

ScopedThemeName::~ScopedThemeName()
{
    std::lock_guard<std::mutex> lock(nameMutex());
    nameProvider() = std::move(m_previous);
}

} // namespace pxp
