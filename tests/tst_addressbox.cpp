// The address box: typed-URL history, auto-completion flags, the key table, type-ahead, mouse
// choice and the edit field's place.
#include "addressbox/addresscombo.h"
#include "addressbox/addresskeys.h"
#include "addressbox/autocompleteflags.h"
#include "common/errorreport.h"
#include "core/trailscribeerror.h"
#include "addressbox/typedurlhistory.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <functional>

namespace {

using ValueMap = QMap<QString, QVariant>;

QSettings *typedUrlStore()
{
    const TypedUrlStoreName name = typedUrlStoreName();
    auto *store = new QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(name.organization),
                                QString::fromLatin1(name.application));
    store->beginGroup(QStringLiteral("TypedURLs"));
    return store;
}

void resetStore(const ValueMap &values)
{
    std::unique_ptr<QSettings> store(typedUrlStore());
    store->endGroup();
    store->remove(QStringLiteral("TypedURLs"));
    store->beginGroup(QStringLiteral("TypedURLs"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        store->setValue(it.key(), it.value());
    store->endGroup();
    store->sync();
}

ValueMap storedValues()
{
    std::unique_ptr<QSettings> store(typedUrlStore());
    ValueMap values;
    for (const QString &name : store->childKeys())
        values.insert(name, store->value(name));
    return values;
}

QStringList entries(int n)
{
    QStringList list;
    for (int i = 0; i < n; ++i)
        list << QStringLiteral("http://site%1.example/").arg(i);
    return list;
}

// Sends a key the way the keyboard does: to the open list or suggestion popup when one is up.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(static_cast<QWidget *>(nullptr), key, modifiers);
}

void type(const QString &text)
{
    for (const QChar c : text)
        QTest::keyClick(static_cast<QWidget *>(nullptr), c.toLatin1());
}

int selectedRow(TAddressCombo &box)
{
    if (box.DroppedDown()) {
        const QModelIndexList selected = box.view()->selectionModel()->selectedIndexes();
        return selected.isEmpty() ? -1 : selected.first().row();
    }
    return box.currentIndex();
}

} // namespace

Q_DECLARE_METATYPE(ValueMap)
Q_DECLARE_METATYPE(TAutoComplete)
Q_DECLARE_METATYPE(TAutoSuggest)
Q_DECLARE_METATYPE(TFileOptions)

class TestAddressBox : public QObject
{
    Q_OBJECT

private:
    // A shown box in a window, with `items` as its list and `text` in the field.
    struct Fixture
    {
        QWidget window;
        TAddressCombo *box;
        QStringList urls;
        int clicks = 0;

        explicit Fixture(const QStringList &items = {}, const QString &text = {})
        {
            resetStore({});
            window.resize(400, 300);
            box = new TAddressCombo(&window);
            box->move(40, 4);
            QObject::connect(box, &TAddressCombo::OnUrlSelected, box,
                             [this](TCustomAddressCombo *sender, const QString &url) {
                                 QVERIFY(sender == box);
                                 urls << url;
                             });
            QObject::connect(box, &TAddressCombo::OnClick, box, [this](TCustomAddressCombo *sender) {
                QVERIFY(sender == box);
                ++clicks;
            });
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            box->SetItems(items);
            box->SetText(text);
            box->setFocus();
            QApplication::processEvents();
        }
    };

private slots:
    void cleanup()
    {
        QTRY_VERIFY(!QApplication::activePopupWidget());
        resetStore({});
    }

    void defaults()
    {
        TAddressCombo box;
        QCOMPARE(box.size(), QSize(145, 22));
        QVERIFY(box.isEditable());
        QCOMPARE(box.Style(), csDropDown);
        QCOMPARE(box.Sorted(), false);
        QCOMPARE(box.ItemHeight(), 16);
        QCOMPARE(box.DropDownCount(), 8);
        QCOMPARE(box.IconLeft(), 4);
        QCOMPARE(box.IconTop(), 3);
        QCOMPARE(box.DefaultProtocol(), QString());
        QCOMPARE(box.RegistryUpdate(), false);
        QCOMPARE(box.AutoComplete(), acDefault);
        QCOMPARE(box.AutoSuggest(), asDefault);
        QCOMPARE(box.FileOptions(), TFileOptions());
        QCOMPARE(box.HasBorder(), true);
        QCOMPARE(box.HasDropDown(), true);
        QCOMPARE(box.Address(), QString());
        QCOMPARE(box.SelectedIcon(), -1);
    }

    void autoCompleteFlags_data()
    {
        QTest::addColumn<TAutoComplete>("autoComplete");
        QTest::addColumn<TAutoSuggest>("autoSuggest");
        QTest::addColumn<TFileOptions>("options");
        QTest::addColumn<quint32>("flags");
        QTest::addColumn<bool>("inlineCompletion");
        QTest::addColumn<bool>("suggestionList");
        QTest::addColumn<bool>("fileSystem");
        QTest::newRow("program's values") << acDefault << asDefault << TFileOptions() << 0u << true << true << false;
        QTest::newRow("all sources")
            << acDefault << asDefault
            << (TFileOptions(TFileOption::FileSystem) | TFileOption::UrlHistory | TFileOption::UrlMRU) << 0x7u
            << true << true << false;
        QTest::newRow("file system only") << acDefault << asDefault << TFileOptions(TFileOption::FileSystem) << 0x1u
                                          << true << true << true;
        QTest::newRow("suggest on") << acDefault << asForceOn << TFileOptions(TFileOption::UrlMRU) << 0x10000004u
                                    << true << true << false;
        QTest::newRow("suggest off") << acDefault << asForceOff << TFileOptions() << 0x20000000u << true << false
                                     << false;
        QTest::newRow("append on") << acForceOn << asDefault << TFileOptions(TFileOption::UrlHistory) << 0x40000002u
                                   << true << true << false;
        QTest::newRow("both off") << acForceOff << asForceOff << TFileOptions() << 0xA0000000u << false << false
                                  << false;
    }

    void autoCompleteFlags()
    {
        QFETCH(TAutoComplete, autoComplete);
        QFETCH(TAutoSuggest, autoSuggest);
        QFETCH(TFileOptions, options);
        QFETCH(quint32, flags);
        QFETCH(bool, inlineCompletion);
        QFETCH(bool, suggestionList);
        QFETCH(bool, fileSystem);
        QCOMPARE(::autoCompleteFlags(autoComplete, autoSuggest, options), flags);
        const CompleterSetup setup = completerSetupFor(flags);
        QCOMPARE(setup.inlineCompletion, inlineCompletion);
        QCOMPARE(setup.suggestionList, suggestionList);
        QCOMPARE(setup.fileSystemSource, fileSystem);

        // The box applies the setup to its field's completer once its window exists.
        Fixture f({QStringLiteral("alpha"), QStringLiteral("beta")});
        f.box->SetAutoComplete(autoComplete);
        f.box->SetAutoSuggest(autoSuggest);
        f.box->SetFileOptions(options);
        QCompleter *completer = f.box->lineEdit()->completer();
        QCOMPARE(completer != nullptr, setup.enabled());
        if (completer) {
            QCOMPARE(completer->completionMode(),
                     suggestionList ? QCompleter::PopupCompletion : QCompleter::InlineCompletion);
            QCOMPARE(completer->caseSensitivity(), Qt::CaseInsensitive);
            QCOMPARE(completer->model() == f.box->model(), !fileSystem);
        }
    }

    void historyLoad_data()
    {
        QTest::addColumn<ValueMap>("stored");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no key") << ValueMap{} << QStringList{};
        QTest::newRow("gaps and empty values")
            << ValueMap{{"Url1", "http://one/"}, {"Url3", "http://three/"}, {"Url4", ""}}
            << QStringList{"http://one/", "http://three/"};
        QTest::newRow("nothing past Url25")
            << ValueMap{{"Url2", "two"}, {"Url25", "last"}, {"Url26", "never"}, {"Url100", "never"}}
            << QStringList{"two", "last"};
        QTest::newRow("values that are not text")
            << ValueMap{{"Url1", QByteArray("binary")}, {"Url2", "text"}, {"Url3", QStringList{"a", "b"}},
                        {"Url4", QRect(1, 2, 3, 4)}, {"Url5", "more"}}
            << QStringList{"text", "more"};
        QTest::newRow("other names") << ValueMap{{"url1", "lower"}, {"Url01", "padded"}, {"Url1", "right"}}
                                     << QStringList{"right"};
    }

    void historyLoad()
    {
        QFETCH(ValueMap, stored);
        QFETCH(QStringList, expected);
        resetStore(stored);
        QCOMPARE(loadTypedUrls(), expected);

        // The box loads it when its window comes into being, and shows the first entry.
        QWidget window;
        auto *box = new TAddressCombo(&window);
        QCOMPARE(box->count(), 0);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(box->Items(), expected);
        QCOMPARE(box->Text(), expected.value(0));
        QCOMPARE(box->currentIndex(), -1);
        // A box whose window is made again reads the history again: added entries are lost.
        box->insertItem(0, QStringLiteral("added"));
        box->RecreateWnd();
        QCOMPARE(box->Items(), expected);
    }

    void historyWrite_data()
    {
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<int>("written");
        QTest::newRow("empty list") << 0 << 1;
        QTest::newRow("3 entries") << 3 << 4;
        QTest::newRow("23 entries") << 23 << 24;
        QTest::newRow("24 entries") << 24 << 25;
        QTest::newRow("30 entries") << 30 << 25;
    }

    void historyWrite()
    {
        QFETCH(int, entryCount);
        QFETCH(int, written);
        QCOMPARE(typedUrlWriteCount(entryCount), written);
        resetStore({{"Url1", "old"}, {"Url25", "keep or overwrite"}, {"Url26", "untouched"}, {"Other", "untouched"}});
        const QStringList list = entries(entryCount);
        writeTypedUrls(list);
        const ValueMap values = storedValues();
        for (int n = 1; n <= written; ++n)
            QCOMPARE(values.value(QStringLiteral("Url%1").arg(n)).toString(), list.value(n - 1));
        QCOMPARE(values.value("Url26").toString(), QStringLiteral("untouched"));
        QCOMPARE(values.value("Other").toString(), QStringLiteral("untouched"));
        if (written < 25)
            QCOMPARE(values.value("Url25").toString(), QStringLiteral("keep or overwrite"));
        // What was written loads back as the list, up to 25 entries; an older Url25 stays behind it.
        QStringList reloaded = list.mid(0, 25);
        if (written < 25)
            reloaded << QStringLiteral("keep or overwrite");
        QCOMPARE(loadTypedUrls(), reloaded);
    }

    void enterWritesHistoryOnlyWhenAsked()
    {
        {
            Fixture f(QStringList{"http://a/", "http://b/"}, "http://typed/");
            press(Qt::Key_Return);
            QVERIFY(storedValues().isEmpty()); // the program's values never write the history
        }
        Fixture f(QStringList{"http://a/", "http://b/"}, "http://typed/");
        f.box->SetRegistryUpdate(true);
        press(Qt::Key_Return);
        const ValueMap values = storedValues();
        QCOMPARE(values.size(), 4);
        QCOMPARE(values.value("Url1").toString(), QStringLiteral("http://typed/"));
        QCOMPARE(values.value("Url3").toString(), QStringLiteral("http://b/"));
        QCOMPARE(values.value("Url4").toString(), QString());
    }

    void historyStoreThatCannotBeOpenedIsPassedOver()
    {
        // The store's file is a directory: it cannot be opened for writing. Nothing is written or
        // reported, and the entered address is still announced.
        QString report;
        setErrorReportSink([&report](const QString &text) { report = text; });
        const QString file = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                       typedUrlStoreName().organization, typedUrlStoreName().application)
                                 .fileName();
        QFile::remove(file);
        QVERIFY(QDir().mkpath(file));
        {
            Fixture f(QStringList{"http://a/"}, "http://typed/");
            f.box->SetRegistryUpdate(true);
            press(Qt::Key_Return);
            QCOMPARE(f.urls, QStringList{"http://typed/"});
        }
        QVERIFY(QDir(file).removeRecursively());
        setErrorReportSink({});
        QCOMPARE(report, QString());
    }

    void historyValuesThatCannotBeSetAreReported()
    {
        // A store that opens but refuses to take the values.
        const QSettings::Format refusing = QSettings::registerFormat(
            "refusing", [](QIODevice &, QSettings::SettingsMap &) { return true; },
            [](QIODevice &, const QSettings::SettingsMap &) { return false; });
        QTemporaryDir dir;
        QSettings store(dir.filePath("typed.refusing"), refusing);
        QVERIFY(store.isWritable());
        const std::function<void()> writers[] = {[&] { writeTypedUrls(store, entries(2)); },
                                                 [&] { rememberTypedUrl(store, QStringLiteral("http://typed/")); }};
        for (const auto &write : writers) {
            try {
                write();
                QFAIL("no error raised");
            } catch (const TrailscribeError &error) {
                QCOMPARE(error.message(), QStringLiteral("Failed to set data for 'Url1'"));
            }
        }
    }

    void typedAddressOnTop_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("first address") << QStringList{} << "http://a/" << QStringList{"http://a/"};
        QTest::newRow("new address goes first")
            << QStringList{"http://a/", "http://b/"} << "http://c/" << QStringList{"http://c/", "http://a/", "http://b/"};
        QTest::newRow("known address moves up, once")
            << QStringList{"http://a/", "http://b/", "http://c/"} << "http://c/"
            << QStringList{"http://c/", "http://a/", "http://b/"};
        QTest::newRow("already first") << QStringList{"http://a/", "http://b/"} << "http://a/"
                                       << QStringList{"http://a/", "http://b/"};
        QTest::newRow("spaces around are not kept")
            << QStringList{"http://a/", "http://b/"} << "  http://b/ " << QStringList{"http://b/", "http://a/"};
        QTest::newRow("case counts") << QStringList{"http://a/"} << "HTTP://A/" << QStringList{"HTTP://A/", "http://a/"};
        QTest::newRow("empty address") << QStringList{"http://a/"} << "  " << QStringList{"http://a/"};
        QTest::newRow("full list drops its last") << entries(25) << "http://new/"
                                                  << (QStringList{"http://new/"} + entries(24));
        QTest::newRow("full list, the last moves up")
            << entries(25) << entries(25).last() << (QStringList{entries(25).last()} + entries(24));
    }

    void typedAddressOnTop()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, address);
        QFETCH(QStringList, after);
        QCOMPARE(typedUrlsWith(before, address), after);
    }

    void typedAddressIsKeptByTheProgram()
    {
        // Gaps and values that are not text are passed over on loading; the list goes back from
        // Url1 with nothing behind it, and values that are not the list's stay.
        resetStore({{"Url1", "http://a/"}, {"Url3", "http://b/"}, {"Url4", QRect(1, 2, 3, 4)}, {"Url6", "http://c/"},
                    {"Url26", "untouched"}, {"Other", "untouched"}});
        rememberTypedUrl(QStringLiteral("http://b/"));
        if constexpr (!kProgramKeepsTypedUrls) {
            // The platform browser's history is only read.
            QCOMPARE(loadTypedUrls(), (QStringList{"http://a/", "http://b/", "http://c/"}));
            return;
        }
        rememberTypedUrl(QStringLiteral("http://d/"));
        QCOMPARE(storedValues(), (ValueMap{{"Url1", "http://d/"}, {"Url2", "http://b/"}, {"Url3", "http://a/"},
                                           {"Url4", "http://c/"}, {"Url26", "untouched"}, {"Other", "untouched"}}));
        // A new box lists them, most recent first.
        QWidget window;
        auto *box = new TAddressCombo(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(box->Items(), (QStringList{"http://d/", "http://b/", "http://a/", "http://c/"}));
    }

    void enterClosed_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("address");
        QTest::newRow("text already in the list") << "http://b/" << "" << "http://b/";
        QTest::newRow("protocol put in front") << "example.com" << "http://" << "http://example.com";
        QTest::newRow("text with ://") << "ftp://host/" << "http://" << "ftp://host/";
        QTest::newRow("empty text") << "" << "" << "";
    }

    void enterClosed()
    {
        QFETCH(QString, text);
        QFETCH(QString, protocol);
        QFETCH(QString, address);
        const QStringList before{"http://a/", "http://b/", "http://c/"};
        Fixture f(before, text);
        f.box->SetDefaultProtocol(protocol);
        press(Qt::Key_Return);
        QCOMPARE(f.box->Address(), address);
        QCOMPARE(f.box->Items(), QStringList{address} + before); // no duplicate check
        QCOMPARE(f.box->Text(), text);                           // the field keeps the text as typed
        QCOMPARE(f.urls, QStringList{text});
        QVERIFY(!f.box->DroppedDown());
    }

    void enterClosedOnExistingFileKeepsItsName()
    {
        QTemporaryFile file;
        QVERIFY(file.open());
        QCOMPARE(enteredAddress(file.fileName(), "http://", [](const QString &p) { return QFileInfo(p).isFile(); }),
                 file.fileName());
        QCOMPARE(enteredAddress(file.fileName() + "-missing", "http://",
                                [](const QString &p) { return QFileInfo(p).isFile(); }),
                 "http://" + file.fileName() + "-missing");
    }

    void downOpensListReadOnly()
    {
        Fixture f(entries(5), "typed");
        f.box->lineEdit()->selectAll();
        press(Qt::Key_Up); // closed list: consumed, nothing else
        QCOMPARE(f.box->Text(), QStringLiteral("typed"));
        QVERIFY(!f.box->DroppedDown());
        press(Qt::Key_Down);
        QVERIFY(f.box->DroppedDown());
        QVERIFY(f.box->lineEdit()->isReadOnly());
        QVERIFY(!f.box->lineEdit()->hasSelectedText());
        QCOMPARE(f.box->lineEdit()->cursorPosition(), 5);
        QCOMPARE(selectedRow(*f.box), -1);
        press(Qt::Key_Down);
        QCOMPARE(selectedRow(*f.box), 0);
        QCOMPARE(f.box->Text(), entries(5).at(0));
        QVERIFY(f.urls.isEmpty());
        QCOMPARE(f.box->Items(), entries(5)); // keyboard moves never reorder
    }

    void enterOnOpenListMovesEntryUp()
    {
        const QStringList before = entries(8);
        Fixture f(before, "typed");
        press(Qt::Key_Down);
        for (int i = 0; i <= 5; ++i)
            press(Qt::Key_Down);
        QCOMPARE(selectedRow(*f.box), 5);
        QCOMPARE(f.box->Text(), before.at(5));
        press(Qt::Key_Return);
        QStringList expected = before;
        expected.move(5, 0);
        QCOMPARE(f.box->Items(), expected);
        QCOMPARE(f.box->Text(), before.at(5));
        QCOMPARE(f.box->Address(), before.at(5));
        QCOMPARE(f.box->currentIndex(), 0);
        QVERIFY(!f.box->DroppedDown());
        QVERIFY(!f.box->lineEdit()->isReadOnly());
        QCOMPARE(f.box->lineEdit()->selectedText(), before.at(5));
        QCOMPARE(f.urls, QStringList{before.at(5)});
        QVERIFY(storedValues().isEmpty());
    }

    void enterOnOpenListWithoutSelectionOnlyCloses()
    {
        Fixture f(entries(3), "typed");
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QVERIFY(!f.box->DroppedDown());
        QCOMPARE(f.box->Items(), entries(3));
        QCOMPARE(f.box->Text(), QStringLiteral("typed"));
        QVERIFY(f.urls.isEmpty());
        QVERIFY(!f.box->lineEdit()->isReadOnly());
    }

    void listMoves_data()
    {
        QTest::addColumn<int>("entryCount");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::newRow("Down on entry 24 stays") << 30 << 24 << int(Qt::Key_Down) << 24;
        QTest::newRow("Down on entry 23") << 30 << 23 << int(Qt::Key_Down) << 24;
        QTest::newRow("Up on entry 0 stays") << 5 << 0 << int(Qt::Key_Up) << 0;
        QTest::newRow("Up on entry 3") << 5 << 3 << int(Qt::Key_Up) << 2;
        QTest::newRow("Down past the last entry selects none") << 3 << 2 << int(Qt::Key_Down) << -1;
    }

    void listMoves()
    {
        QFETCH(int, entryCount);
        QFETCH(int, from);
        QFETCH(int, key);
        QFETCH(int, to);
        Fixture f(entries(entryCount), "typed");
        press(Qt::Key_Down);
        for (int i = 0; i <= from; ++i)
            press(Qt::Key_Down);
        QCOMPARE(selectedRow(*f.box), from);
        press(Qt::Key(key));
        QVERIFY(f.box->DroppedDown());
        QCOMPARE(selectedRow(*f.box), to);
        QCOMPARE(f.box->Text(), entries(entryCount).at(to >= 0 ? to : from));
        QVERIFY(!f.box->lineEdit()->hasSelectedText());
        if (to == -1) { // from no entry, the next Down starts again at the top
            press(Qt::Key_Down);
            QCOMPARE(selectedRow(*f.box), 0);
        }
        QCOMPARE(f.box->Items(), entries(entryCount));
        QVERIFY(f.urls.isEmpty());
    }

    void closingKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier);
        QTest::newRow("Alt+Up") << int(Qt::Key_Up) << int(Qt::AltModifier);
    }

    void closingKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Fixture f(entries(4), "typed");
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QVERIFY(f.box->lineEdit()->isReadOnly());
        press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!f.box->DroppedDown());
        QVERIFY(!f.box->lineEdit()->isReadOnly());
        QCOMPARE(f.box->Text(), entries(4).at(1));
        QCOMPARE(f.box->lineEdit()->selectedText(), entries(4).at(1));
        QCOMPARE(f.box->Items(), entries(4));
        QVERIFY(f.urls.isEmpty());
    }

    void fieldTakesTypingAgainWhenListClosedOtherwise()
    {
        Fixture f(entries(4), "typed");
        press(Qt::Key_Down);
        QVERIFY(f.box->lineEdit()->isReadOnly());
        press(Qt::Key_Z); // read-only while the list is open from the keyboard
        QCOMPARE(f.box->Text(), QStringLiteral("typed"));
        f.box->view()->window()->close(); // as a click outside the list closes it
        QTRY_VERIFY(!f.box->DroppedDown());
        QVERIFY(!f.box->lineEdit()->isReadOnly());
        press(Qt::Key_End);
        press(Qt::Key_Z);
        QCOMPARE(f.box->Text(), QStringLiteral("typedz"));
    }

    void typeAheadFunction_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionLength");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("result");
        QTest::newRow("first match, case ignored") << "" << -1 << 0 << "E" << 1 << "Example.com";
        QTest::newRow("text before the selection") << "Example.com" << 1 << 10 << "x" << 1 << "Example.com";
        QTest::newRow("next entry") << "Example.com" << 2 << 9 << "i" << 2 << "Exit.org";
        QTest::newRow("whole text without selection") << "ex" << -1 << 0 << "i" << 2 << "exit.org";
        QTest::newRow("typed case kept") << "EX" << -1 << 0 << "A" << 1 << "EXAmple.com";
        QTest::newRow("no match") << "exi" << -1 << 0 << "q" << -1 << "";
        QTest::newRow("control character") << "" << -1 << 0 << "\t" << -1 << "";
    }

    void typeAheadFunction()
    {
        QFETCH(QString, text);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        QFETCH(QString, typed);
        QFETCH(int, entry);
        QFETCH(QString, result);
        const QStringList list{"alpha.com", "example.com", "exit.org"};
        const std::optional<TypeAheadResult> match = typeAhead(list, text, selectionStart, selectionLength, typed);
        QCOMPARE(match.has_value(), entry >= 0);
        if (match) {
            QCOMPARE(match->entry, entry);
            QCOMPARE(match->text, result);
        }
    }

    void typeAheadInTheBox()
    {
        Fixture f(QStringList{"alpha.com", "example.com", "exit.org"});
        type("e");
        QCOMPARE(f.box->Text(), QStringLiteral("example.com"));
        QCOMPARE(f.box->lineEdit()->selectedText(), QStringLiteral("xample.com"));
        QCOMPARE(f.box->currentIndex(), 1);
        QCOMPARE(f.clicks, 1);
        type("x");
        QCOMPARE(f.box->Text(), QStringLiteral("example.com"));
        QCOMPARE(f.box->lineEdit()->selectedText(), QStringLiteral("ample.com"));
        QCOMPARE(f.clicks, 1); // the same entry: no click handling
        type("i");
        QCOMPARE(f.box->Text(), QStringLiteral("exit.org"));
        QCOMPARE(f.box->lineEdit()->selectedText(), QStringLiteral("t.org"));
        QCOMPARE(f.clicks, 2);
        type("q");
        QCOMPARE(f.box->Text(), QStringLiteral("exiq"));
        press(Qt::Key_Backspace);
        QCOMPARE(f.box->Text(), QStringLiteral("exi"));
        QCOMPARE(f.box->currentIndex(), -1);
        QCOMPARE(f.box->Items(), (QStringList{"alpha.com", "example.com", "exit.org"}));
        QVERIFY(f.urls.isEmpty()); // the pointer is nowhere near an open list
        QCOMPARE(f.box->Address(), QString());
    }

    void suggestionListFollowsTyping()
    {
        Fixture f(QStringList{"alpha.com", "example.com", "exit.org"});
        type("e");
        QCompleter *completer = f.box->lineEdit()->completer();
        QVERIFY(completer);
        QTRY_VERIFY(completer->popup()->isVisible());
        QCOMPARE(completer->completionCount(), 2);
        type("xi");
        QCOMPARE(completer->completionCount(), 1);
        QCOMPARE(f.box->Text(), QStringLiteral("exit.org"));
        // Enter in the suggestion list takes the suggestion and is then the box's own Enter.
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QTRY_VERIFY(!completer->popup()->isVisible());
        QCOMPARE(f.box->Text(), QStringLiteral("exit.org"));
        QCOMPARE(f.box->Items().value(0), QStringLiteral("exit.org"));
        QCOMPARE(f.urls, QStringList{"exit.org"});
    }

    void mouseChoice()
    {
        const QStringList before = entries(6);
        Fixture f(before, "typed");
        f.box->showPopup();
        QTRY_VERIFY(f.box->DroppedDown());
        QAbstractItemView *list = f.box->view();
        const QPoint at = list->visualRect(list->model()->index(3, 0)).center();
        QTest::mouseMove(list->viewport(), at);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTRY_VERIFY(!f.box->DroppedDown());
        QCOMPARE(f.box->Text(), before.at(3));
        QCOMPARE(f.box->Items(), before);
        QCOMPARE(f.box->Address(), before.at(3));
        QCOMPARE(f.box->lineEdit()->selectedText(), before.at(3));
        QVERIFY(!f.box->lineEdit()->isReadOnly());
        QCOMPARE(f.urls, QStringList{before.at(3)});
        QCOMPARE(f.clicks, 1);
        QVERIFY(storedValues().isEmpty());
    }

    void setAddressAndText()
    {
        Fixture f(entries(3), "typed");
        f.box->SetText("written");
        QCOMPARE(f.box->Text(), QStringLiteral("written"));
        QCOMPARE(f.box->Address(), QString());
        f.box->SetAddress("http://home/");
        QCOMPARE(f.box->Text(), QStringLiteral("http://home/"));
        QCOMPARE(f.box->Address(), QStringLiteral("http://home/"));
        QCOMPARE(f.box->Items(), entries(3));
        QVERIFY(f.urls.isEmpty());
        QCOMPARE(f.clicks, 0);
    }

    // An address too long for a field to lay out quickly is held whole, and the field shows its
    // beginning; whatever replaces the field's text (typing, a list entry, another SetText)
    // replaces the long one too.
    void longAddressHeldWholeFieldShowsItsStart()
    {
        Fixture f(entries(3), "typed");
        const QString longAddress = QStringLiteral("data:text/html,") + QString(2000000, QLatin1Char('x'));
        f.box->SetAddress(longAddress);
        QCOMPARE(f.box->Text(), longAddress);
        QCOMPARE(f.box->Address(), longAddress);
        QVERIFY(f.box->lineEdit()->text().size() < 10000);
        QVERIFY(longAddress.startsWith(f.box->lineEdit()->text()));

        f.box->lineEdit()->setFocus();
        f.box->lineEdit()->end(false);
        QTest::keyClick(f.box->lineEdit(), Qt::Key_Backspace);
        QCOMPARE(f.box->Text(), f.box->lineEdit()->text());
        QVERIFY(f.box->Text().size() < 10000);

        f.box->SetText(longAddress);
        QCOMPARE(f.box->Text(), longAddress);
        f.box->setCurrentIndex(1);
        QCOMPARE(f.box->Text(), entries(3).at(1));
        f.box->SetText(QStringLiteral("short"));
        QCOMPARE(f.box->Text(), QStringLiteral("short"));
    }

    void placeEdit_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("constructed") << QSize(145, 22);
        QTest::newRow("address row") << QSize(600, 22);
        QTest::newRow("taller") << QSize(300, 30);
    }

    void placeEdit()
    {
        QFETCH(QSize, size);
        Fixture f(entries(3), "typed");
        f.box->resize(size);
        const QRect expected(23, 5, size.width() - 46, size.height() - 7);
        QTRY_COMPARE(f.box->lineEdit()->geometry(), expected);
        f.box->showPopup();
        QApplication::processEvents();
        QCOMPARE(f.box->lineEdit()->geometry(), expected);
        f.box->hidePopup();
        f.box->setFont(QFont(f.box->font().family(), 20)); // the toolkit lays the field out again
        QApplication::processEvents();
        QTRY_COMPARE(f.box->lineEdit()->geometry(), expected);
    }
};

int main(int argc, char **argv)
{
    // The per-user settings store lives in a folder of this run only.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    TestAddressBox test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_addressbox.moc"
