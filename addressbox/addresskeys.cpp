#include "addressbox/addresskeys.h"

#include <Qt>

AddressKeyAction addressKeyAction(int key, bool alt, bool listOpen)
{
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (listOpen) {
        if (enter)
            return AddressKeyAction::EnterOpen;
        if (key == Qt::Key_Escape || (alt && (key == Qt::Key_Down || key == Qt::Key_Up)))
            return AddressKeyAction::CloseList;
        if (key == Qt::Key_Down)
            return AddressKeyAction::NextEntry;
        if (key == Qt::Key_Up)
            return AddressKeyAction::PreviousEntry;
        return AddressKeyAction::PassOn;
    }
    if (enter)
        return AddressKeyAction::EnterClosed;
    if (key == Qt::Key_Down)
        return AddressKeyAction::OpenList;
    if (key == Qt::Key_Up)
        return AddressKeyAction::Swallow;
    return AddressKeyAction::PassOn;
}

std::optional<int> nextEntryIndex(int selected)
{
    if (selected < kLastDownFrom)
        return selected + 1;
    return std::nullopt;
}

std::optional<int> previousEntryIndex(int selected)
{
    if (selected > 0)
        return selected - 1;
    return std::nullopt;
}

QString enteredAddress(const QString &text, const QString &defaultProtocol,
                       const std::function<bool(const QString &)> &isExistingFile)
{
    if (!defaultProtocol.isEmpty() && !text.contains(QLatin1String("://")) && !isExistingFile(text))
        return defaultProtocol + text;
    return text;
}

void moveEntryToTop(QStringList &entries, int index)
{
    if (index <= 0 || index >= entries.size())
        return;
    entries.move(index, 0);
}

std::optional<TypeAheadResult> typeAhead(const QStringList &entries, const QString &text, int selectionStart,
                                         int selectionLength, const QString &typed)
{
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return std::nullopt;
    const QString prefix = (selectionLength > 0 ? text.left(selectionStart) : text) + typed;
    for (int i = 0; i < entries.size(); ++i) {
        const QString &entry = entries.at(i);
        if (entry.startsWith(prefix, Qt::CaseInsensitive))
            return TypeAheadResult{i, prefix + entry.mid(prefix.size()), int(prefix.size())};
    }
    return std::nullopt;
}

bool droppedRectContains(const QRect &rect, const QPoint &point)
{
    if (rect.isEmpty())
        return false;
    return point.x() >= rect.left() && point.x() <= rect.left() + rect.width() && point.y() >= rect.top()
           && point.y() <= rect.top() + rect.height();
}
