#pragma once

#include <QLayout>

// The address row's layout: the address box at left 40, top 4, keeping its own height, ends 10
// pixels before "Go!", and "Go!" ends 5 pixels before the row's right edge. Everything else in
// the row stays where it was put. The row is laid out whenever its size changes.
class AddressRowLayout : public QLayout
{
public:
    explicit AddressRowLayout(QWidget *row);
    ~AddressRowLayout() override;

    void setGoButton(QWidget *button);
    void setAddressBox(QWidget *box);

    void setGeometry(const QRect &rect) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override;

private:
    // Index 0 is "Go!", 1 the address box; either may be missing.
    QLayoutItem *m_items[2] = {nullptr, nullptr};
    void place(int index, QWidget *widget);
};
