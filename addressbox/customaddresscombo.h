#pragma once

#include "addressbox/autocompleteflags.h"

#include <QComboBox>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>

class QCompleter;
class QKeyEvent;
class TAddressItemDelegate;

enum TComboStyle { csSimple, csDropDown, csDropDownList };

// The editable address field with the typed-address history in its drop-down list. All the
// behaviour lives here; TAddressCombo only makes the settings public.
class TCustomAddressCombo : public QComboBox
{
    Q_OBJECT

public:
    ~TCustomAddressCombo() override;

    // Stores `address` in Address and shows it; the list, the history and the icon are left alone.
    void SetAddress(const QString &address);
    // The address last set by SetAddress, chosen with the mouse or entered with Enter.
    QString Address() const { return m_address; }

    // The text of the edit field. Writing it changes only the shown text.
    QString Text() const;
    void SetText(const QString &text);

    // The icon index of the list entry last drawn selected; -1 until one is drawn.
    int SelectedIcon() const { return m_selectedIcon; }

    // Whether the drop-down list is open.
    bool DroppedDown() const;

    // Moves the edit field to its place: x = edit offset + 7, y = 5, width = box width - 46,
    // height = box height - 7.
    void PlaceEdit();
    // Applies the window shape that HasBorder and HasDropDown give (a widget mask).
    void UpdateShape();
    // What re-creating the box's window does: the list is cleared and the history loaded again,
    // then the auto-completion is registered anew.
    void RecreateWnd();

    void showPopup() override;
    void hidePopup() override;

    // How many times the field's icon has been looked up and the window shape applied, for checks
    // that neither happens more often than its inputs change.
    int FieldIconLookupCount() const { return m_fieldIconLookups; }
    int ShapeUpdateCount() const { return m_shapeUpdates; }

signals:
    // Raised with the shown text when an address is chosen with the mouse or entered with Enter.
    void OnUrlSelected(TCustomAddressCombo *sender, const QString &url);
    // Raised on every click handling (a choice in the list, a type-ahead match).
    void OnClick(TCustomAddressCombo *sender);

protected:
    explicit TCustomAddressCombo(QWidget *parent = nullptr);

    TComboStyle Style() const { return csDropDown; }
    bool Sorted() const { return m_sorted; }
    void SetSorted(bool sorted);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int count) { setMaxVisibleItems(count); }
    int IconLeft() const { return m_iconLeft; }
    void SetIconLeft(int left);
    int IconTop() const { return m_iconTop; }
    void SetIconTop(int top);
    QString DefaultProtocol() const { return m_defaultProtocol; }
    void SetDefaultProtocol(const QString &protocol) { m_defaultProtocol = protocol; }
    bool RegistryUpdate() const { return m_registryUpdate; }
    void SetRegistryUpdate(bool update) { m_registryUpdate = update; }
    TAutoComplete AutoComplete() const { return m_autoComplete; }
    void SetAutoComplete(TAutoComplete value);
    TAutoSuggest AutoSuggest() const { return m_autoSuggest; }
    void SetAutoSuggest(TAutoSuggest value);
    TFileOptions FileOptions() const { return m_fileOptions; }
    void SetFileOptions(TFileOptions options);
    bool HasBorder() const { return m_hasBorder; }
    void SetHasBorder(bool hasBorder);
    bool HasDropDown() const { return m_hasDropDown; }
    void SetHasDropDown(bool hasDropDown);
    QStringList Items() const;
    void SetItems(const QStringList &items);

    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class TAddressItemDelegate;

    void CreateWnd();
    void LoadHistory();
    void RegisterAutoComplete();

    // The key table, type-ahead and Backspace; false when the key is left to the field.
    bool processKey(QKeyEvent *event, bool listOpen);
    bool typeAheadKey(const QString &typed);
    void backspaceKey();
    void enterClosed();
    void enterOpen();
    void closeListByKey();
    void moveSelection(int index);
    void openListByKey();
    void enteredAddressStep();
    void clickHandling(const QPoint &cursor);
    void editingHandling();
    void drawSelectedIcon();
    // The icon index of the field's text, looked up again only after the text has changed.
    int fieldIcon();
    void showSuggestions(const QString &prefix);

    int selectedIndex() const;
    // Selects entry `index` as the keyboard does: the entry's text goes into the field. An index
    // outside the list leaves no entry selected and the text as it is.
    void selectEntry(int index);
    // Runs `change` on the list and puts back the field's text and selection when it moved them.
    void keepingText(const std::function<void()> &change);

    static constexpr int kEditOffset = 16;

    QString m_address;
    QString m_longText;  // the whole text while the field shows only its beginning
    QString m_defaultProtocol;
    int m_itemHeight = 16;
    int m_iconLeft = 4;
    int m_iconTop = 3;
    bool m_sorted = false;
    bool m_registryUpdate = false;
    TAutoComplete m_autoComplete = acDefault;
    TAutoSuggest m_autoSuggest = asDefault;
    TFileOptions m_fileOptions;
    bool m_hasBorder = true;
    bool m_hasDropDown = true;

    int m_selectedIcon = -1;
    bool m_showSelectedIcon = false; // the field shows SelectedIcon at (4, 3) until the text is edited or set
    bool m_windowCreated = false;
    QRect m_droppedRect; // screen rectangle of the open list
    int m_fieldIcon = -1;
    bool m_fieldIconStale = true;
    int m_fieldIconLookups = 0;
    int m_shapeUpdates = 0;
    QPointer<QCompleter> m_completer;
    TAddressItemDelegate *m_delegate = nullptr;
};
