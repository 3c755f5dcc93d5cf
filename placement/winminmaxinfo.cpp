#include "placement/winminmaxinfo.h"

TWinMinMaxInfo::TWinMinMaxInfo(QObject *owner)
    : QObject(owner)
{
}

void TWinMinMaxInfo::set(int &field, int value)
{
    if (field == value)
        return;
    field = value;
    emit Changed();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo &source)
{
    if (&source == this)
        return;
    m_maxPosLeft = source.m_maxPosLeft;
    m_maxPosTop = source.m_maxPosTop;
    m_maxSizeHeight = source.m_maxSizeHeight;
    m_maxSizeWidth = source.m_maxSizeWidth;
    m_maxTrackHeight = source.m_maxTrackHeight;
    m_maxTrackWidth = source.m_maxTrackWidth;
    m_minTrackHeight = source.m_minTrackHeight;
    m_minTrackWidth = source.m_minTrackWidth;
    emit Changed();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const
{
    return m_maxPosLeft == 0 && m_maxPosTop == 0 && m_maxSizeHeight == 0 && m_maxSizeWidth == 0
        && m_maxTrackHeight == 0 && m_maxTrackWidth == 0 && m_minTrackHeight == 0 && m_minTrackWidth == 0;
}
