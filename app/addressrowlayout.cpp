#include "app/addressrowlayout.h"

#include <QWidget>

namespace {
enum { GoButton, AddressBox };
constexpr int kBoxLeft = 40;
constexpr int kBoxTop = 4;
constexpr int kBoxToGo = 10;
constexpr int kGoToEdge = 5;
} // namespace

AddressRowLayout::AddressRowLayout(QWidget *row) : QLayout(row)
{
    setContentsMargins(0, 0, 0, 0);
}

AddressRowLayout::~AddressRowLayout()
{
    for (QLayoutItem *item : m_items)
        delete item;
}

void AddressRowLayout::setGoButton(QWidget *button)
{
    place(GoButton, button);
}

void AddressRowLayout::setAddressBox(QWidget *box)
{
    place(AddressBox, box);
}

void AddressRowLayout::place(int index, QWidget *widget)
{
    delete m_items[index];
    addChildWidget(widget);
    m_items[index] = new QWidgetItem(widget);
    invalidate();
    if (parentWidget())
        setGeometry(parentWidget()->rect());
}

void AddressRowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const int rowWidth = rect.width();
    QWidget *go = m_items[GoButton] ? m_items[GoButton]->widget() : nullptr;
    if (!go)
        return;
    if (QWidget *box = m_items[AddressBox] ? m_items[AddressBox]->widget() : nullptr)
        box->setGeometry(kBoxLeft, kBoxTop, rowWidth - go->width() - kBoxLeft - kBoxToGo, box->height());
    go->move(rowWidth - go->width() - kGoToEdge, go->y());
}

// The row asks nothing of the window around it: the window's own minimum size holds.
QSize AddressRowLayout::sizeHint() const
{
    return {0, 0};
}

QSize AddressRowLayout::minimumSize() const
{
    return {0, 0};
}

void AddressRowLayout::addItem(QLayoutItem *item)
{
    // Only the two widgets above have a place in the row.
    delete item;
}

QLayoutItem *AddressRowLayout::itemAt(int index) const
{
    int seen = 0;
    for (QLayoutItem *item : m_items)
        if (item && seen++ == index)
            return item;
    return nullptr;
}

QLayoutItem *AddressRowLayout::takeAt(int index)
{
    int seen = 0;
    for (QLayoutItem *&item : m_items) {
        if (item && seen++ == index) {
            QLayoutItem *taken = item;
            item = nullptr;
            return taken;
        }
    }
    return nullptr;
}

int AddressRowLayout::count() const
{
    return int(m_items[GoButton] != nullptr) + int(m_items[AddressBox] != nullptr);
}
