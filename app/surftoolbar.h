#pragma once

#include <QIcon>
#include <QWidget>

class QToolButton;

// A flat toolbar of fixed-size buttons with the caption under the image, laid out from the left
// edge: buttons 60 x 36, separators 8 wide, hidden items taking no room; a line on the top and
// bottom edges.
class SurfToolBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 40;
    static constexpr int kButtonWidth = 60;
    static constexpr int kButtonHeight = 36;
    static constexpr int kSeparatorWidth = 8;

    explicit SurfToolBar(QWidget *parent = nullptr);

    QToolButton *addButton(const QString &objectName, const QString &caption, const QIcon &icon);
    QWidget *addSeparator(const QString &objectName, bool visible = true);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void relayout();
    QList<QWidget *> m_items;
};
