#include "extensions/CriticalSection.h"

namespace ST {

CRITICALPROCEDURE::~CRITICALPROCEDURE()
{
    if (m_section)
        m_section->RELEASE();
}

void CRITICALPROCEDURE::bind(CRITICALSECTION& section)
{
    if (m_section)
        m_section->RELEASE();
    m_section = &section;
    section.WAIT();
}

QString CRITICALSECTION::text(const QString& variable, bool lock)
{
    const auto held = scoped(lock);
    return variable;
}

void CRITICALSECTION::store(QString& variable, const QString& value, bool lock)
{
    const auto held = scoped(lock);
    variable = value;
}

double CRITICALSECTION::GET_HID(const vrt::Decimal& variable, bool lock)
{
    const auto held = scoped(lock);
    return variable.toDouble();
}

void CRITICALSECTION::SET_HID(vrt::Decimal& variable, double value, bool lock)
{
    const vrt::Decimal converted = vrt::Decimal::fromDouble(value, variable.scale());
    const auto held = scoped(lock);
    variable = converted;
}

} // namespace ST
