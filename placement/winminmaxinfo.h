#pragma once

#include <QObject>

// Size limits a placement component gives its form: tracking (user sizing) limits, the
// maximised size and the maximised position. 0 means not set.
class TWinMinMaxInfo : public QObject
{
    Q_OBJECT
public:
    explicit TWinMinMaxInfo(QObject *owner = nullptr);

    int MaxPosLeft() const { return m_maxPosLeft; }
    int MaxPosTop() const { return m_maxPosTop; }
    int MaxSizeHeight() const { return m_maxSizeHeight; }
    int MaxSizeWidth() const { return m_maxSizeWidth; }
    int MaxTrackHeight() const { return m_maxTrackHeight; }
    int MaxTrackWidth() const { return m_maxTrackWidth; }
    int MinTrackHeight() const { return m_minTrackHeight; }
    int MinTrackWidth() const { return m_minTrackWidth; }

    void SetMaxPosLeft(int value) { set(m_maxPosLeft, value); }
    void SetMaxPosTop(int value) { set(m_maxPosTop, value); }
    void SetMaxSizeHeight(int value) { set(m_maxSizeHeight, value); }
    void SetMaxSizeWidth(int value) { set(m_maxSizeWidth, value); }
    void SetMaxTrackHeight(int value) { set(m_maxTrackHeight, value); }
    void SetMaxTrackWidth(int value) { set(m_maxTrackWidth, value); }
    void SetMinTrackHeight(int value) { set(m_minTrackHeight, value); }
    void SetMinTrackWidth(int value) { set(m_minTrackWidth, value); }

    // Takes all eight values of `source`; Changed is emitted once.
    void Assign(const TWinMinMaxInfo &source);
    // True when every value is 0.
    bool DefaultMinMaxInfo() const;

signals:
    void Changed();

private:
    void set(int &field, int value);

    int m_maxPosLeft = 0;
    int m_maxPosTop = 0;
    int m_maxSizeHeight = 0;
    int m_maxSizeWidth = 0;
    int m_maxTrackHeight = 0;
    int m_maxTrackWidth = 0;
    int m_minTrackHeight = 0;
    int m_minTrackWidth = 0;
};
