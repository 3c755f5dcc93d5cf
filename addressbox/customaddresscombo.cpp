// The address box's construction, its text and settings, the window creation that loads the
// typed-URL history and registers the auto-completion, and the list selection helpers.
#include "addressbox/customaddresscombo.h"

#include "addressbox/addressitemdelegate.h"
#include "addressbox/typedurlhistory.h"
#include "common/shownaddress.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <limits>

TCustomAddressCombo::TCustomAddressCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    // A typed or pasted address is not cut at the line edit's default limit of 32767
    // characters; a longer one set by the program is held whole in m_longText (see SetText).
    lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    // Enter never adds to the list on its own, and a text that is in the list already is not
    // looked up: the key handling below decides what the list holds.
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    setMaxVisibleItems(8);
    resize(145, 22);

    m_delegate = new TAddressItemDelegate(this);
    setItemDelegate(m_delegate);
    if (auto *list = qobject_cast<QListView *>(view()))
        list->setUniformItemSizes(true);
    // Installed after the list's own container filters, so these run first.
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
    view()->window()->installEventFilter(this);

    m_completer = lineEdit()->completer();
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { editingHandling(); });
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString &shown) {
        // Any other change of the field's text replaces a long text that it showed the start of.
        if (!m_longText.isNull() && shown != shownAddress(m_longText))
            m_longText = QString();
        m_fieldIconStale = true;
        update();
    });
}

TCustomAddressCombo::~TCustomAddressCombo() = default;

// --- text and address ---

QString TCustomAddressCombo::Text() const
{
    return m_longText.isNull() ? lineEdit()->text() : m_longText;
}

// A text longer than a field shows is kept whole for Text(); the field shows its beginning
// until the user or the list changes it.
void TCustomAddressCombo::SetText(const QString &text)
{
    m_longText = text.size() > kLongestShownAddress ? text : QString();
    lineEdit()->setText(shownAddress(text));
    m_showSelectedIcon = false;
    update();
}

void TCustomAddressCombo::SetAddress(const QString &address)
{
    m_address = address;
    SetText(address);
}

bool TCustomAddressCombo::DroppedDown() const
{
    return view()->isVisible();
}

// --- settings ---

void TCustomAddressCombo::SetSorted(bool sorted)
{
    m_sorted = sorted;
    if (sorted) {
        QStringList entries = Items();
        entries.sort(Qt::CaseInsensitive);
        SetItems(entries);
    }
}

void TCustomAddressCombo::SetItemHeight(int height)
{
    m_itemHeight = height;
    view()->doItemsLayout();
}

void TCustomAddressCombo::SetIconLeft(int left)
{
    m_iconLeft = left;
    update();
}

void TCustomAddressCombo::SetIconTop(int top)
{
    m_iconTop = top;
    update();
}

void TCustomAddressCombo::SetAutoComplete(TAutoComplete value)
{
    m_autoComplete = value;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetAutoSuggest(TAutoSuggest value)
{
    m_autoSuggest = value;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetFileOptions(TFileOptions options)
{
    m_fileOptions = options;
    if (m_windowCreated)
        RegisterAutoComplete();
}

void TCustomAddressCombo::SetHasBorder(bool hasBorder)
{
    m_hasBorder = hasBorder;
    UpdateShape();
    update();
}

void TCustomAddressCombo::SetHasDropDown(bool hasDropDown)
{
    m_hasDropDown = hasDropDown;
    UpdateShape();
    update();
}

QStringList TCustomAddressCombo::Items() const
{
    QStringList entries;
    entries.reserve(count());
    for (int i = 0; i < count(); ++i)
        entries.append(itemText(i));
    return entries;
}

void TCustomAddressCombo::SetItems(const QStringList &items)
{
    keepingText([&] {
        clear();
        addItems(items);
        setCurrentIndex(-1);
    });
}

// --- window creation ---

void TCustomAddressCombo::CreateWnd()
{
    m_windowCreated = true;
    LoadHistory();
    RegisterAutoComplete();
    PlaceEdit();
    UpdateShape();
}

void TCustomAddressCombo::RecreateWnd()
{
    CreateWnd();
}

void TCustomAddressCombo::LoadHistory()
{
    QStringList entries = loadTypedUrls();
    if (m_sorted)
        entries.sort(Qt::CaseInsensitive);
    clear();
    addItems(entries);
    setCurrentIndex(-1);
    SetText(entries.isEmpty() ? QString() : entries.first());
}

void TCustomAddressCombo::RegisterAutoComplete()
{
    if (!m_completer)
        return;
    const CompleterSetup setup = completerSetupFor(autoCompleteFlags(m_autoComplete, m_autoSuggest, m_fileOptions));
    if (!setup.enabled()) {
        lineEdit()->setCompleter(nullptr);
        return;
    }
    if (setup.fileSystemSource) {
        if (!qobject_cast<QFileSystemModel *>(m_completer->model())) {
            auto *files = new QFileSystemModel(m_completer);
            files->setRootPath(QString());
            m_completer->setModel(files);
        }
    } else if (m_completer->model() != model()) {
        m_completer->setModel(model());
    }
    m_completer->setCaseSensitivity(Qt::CaseInsensitive);
    m_completer->setCompletionMode(setup.suggestionList ? QCompleter::PopupCompletion
                                                        : QCompleter::InlineCompletion);
    lineEdit()->setCompleter(m_completer);
    if (setup.suggestionList)
        m_completer->popup()->installEventFilter(this); // after the completer's own filter, so it runs first
}

// --- selection ---

int TCustomAddressCombo::selectedIndex() const
{
    if (DroppedDown()) {
        // The open list's selection, which follows the pointer and the keys; its current index
        // alone (set when the list takes the focus) selects nothing.
        const QModelIndexList selected = view()->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? -1 : selected.first().row();
    }
    return currentIndex();
}

void TCustomAddressCombo::selectEntry(int index)
{
    if (index >= 0 && index < count()) {
        setCurrentIndex(index);
        if (DroppedDown())
            view()->selectionModel()->setCurrentIndex(model()->index(index, modelColumn(), rootModelIndex()),
                                                      QItemSelectionModel::ClearAndSelect);
        return;
    }
    keepingText([this] { setCurrentIndex(-1); });
    if (DroppedDown())
        view()->selectionModel()->clear();
}

void TCustomAddressCombo::keepingText(const std::function<void()> &change)
{
    QLineEdit *edit = lineEdit();
    const QString text = edit->text();
    const int cursor = edit->cursorPosition();
    const int selectionStart = edit->selectionStart();
    const int selectionLength = int(edit->selectedText().size());
    change();
    if (edit->text() == text)
        return;
    edit->setText(text);
    if (selectionStart >= 0)
        edit->setSelection(selectionStart, selectionLength);
    else
        edit->setCursorPosition(cursor);
}
