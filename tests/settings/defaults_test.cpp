// Tests of the settings store: registered defaults, stored overrides, change signals, and values
// that survive a round trip through the settings file.
#include "settings/defaults.h"
#include "settings/settingskeys.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/testutil.h"

using namespace corvane;

namespace
{

struct DefaultCase {
    const char *key;
    QVariant value;
};

const QString kBanner = QStringLiteral(
    "!\n!////////////////////////////////////////////////////////////////////////\n!\n");
const QString kFrame =
    QStringLiteral("!-------------------------------------------------------------------\n");
const QString kComment = "!\n" + kFrame + "! !^\n" + kFrame + "!\n!^\n";

// Every registered default with its exact value and type.
QList<DefaultCase> registeredCases()
{
    return {
        {"ColorSyntax", true},
        {"NewDocumentFlag", true},
        {"RememberWindowLocation", false},
        {"CommentColor", QString("#ff0000")},
        {"PreprocessorColor", QString("#808080")},
        {"NormalColor", QString("#000000")},
        {"KeywordColor", QString("#0000ff")},
        {"IntrinsicColor", QString("#800080")},
        {"StringColor", QString("#996633")},
        {"WindowColor", QString("#ffffff")},
        {"FontSize", 10.0},
        {"FontName", QString("Monaco")},
        {"RealKind", QString("D0")},
        {"WindowWidth", 80},
        {"UppercaseKeywordFlag", true},
        {"IndentlinesFlag", true},
        {"Indentsizekey", 3},
        {"AligncommentsFlag", true},
        {"CommentSeparator", QString("-")},
        {"CommentSeparatorExtent", 1},
        {"CommentSeparatorLineWidth", 80},
        {"autoCompleteParentheses", true},
        {"autoCompleteFortranKeywords", true},
        {"autoCompleteProcedures", true},
        {"autoCompleteFortranIntrinsics", true},
        {"showArgumentListsDuringAutocomplete", true},
        {"defaultFileExtension", QString("f90")},
        {"showAdvancedControls", false},
        {"saveConsoleSessions", false},
        {"autoSaveFiles", true},
        {"consoleNormalColor", QString("#000000")},
        {"consoleInfoColor", QString("#0000ff")},
        {"consoleErrorColor", QString("#ff0000")},
        {"consoleWindowColor", QString("#ffffff")},
        {"consoleFontName", QString("Monaco")},
        {"consoleFontSize", 10},
        {"timeUnitsSelectionIndex", 0},
        {"Corvane-Edit", true},
        {"EditorName", QString("TextEdit")},
        {"clearConsoleOnCompile", true},
        {"parallelBuild", false},
        {"parallelJobs", std::max(1, QThread::idealThreadCount())},
        {"showFreeFormGuide", false},
    };
}

const char *const kUnregistered[] = {"compilerPath",           "foundCompilersArrayKey",
                                     "addedCompilersArrayKey", "installedCompilers",
                                     "hasRunBefore",           "environmentVariables"};

class DefaultsTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString iniPath() const { return dir.filePath("Corvane.conf"); }
    std::unique_ptr<Defaults> makeStore() const
    {
        return std::make_unique<Defaults>(
            std::make_unique<QSettings>(iniPath(), QSettings::IniFormat));
    }
};

TEST_F(DefaultsTest, EveryRegisteredKeyHasItsValueAndType)
{
    auto store = makeStore();
    const QList<DefaultCase> cases = registeredCases();
    for (const DefaultCase &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_TRUE(store->isRegistered(c.key));
        EXPECT_TRUE(store->contains(c.key));
        const QVariant v = store->value(c.key);
        EXPECT_EQ(v.metaType(), c.value.metaType()) << v.typeName();
        EXPECT_EQ(v, c.value) << v.toString().toStdString();
    }
    // The templates are the one registered key not in the table; nothing else is registered.
    EXPECT_EQ(registeredDefaults().size(), cases.size() + 1);
    EXPECT_TRUE(store->isRegistered("TemplateStrings"));
}

TEST_F(DefaultsTest, UnregisteredKeysStartAbsent)
{
    auto store = makeStore();
    for (const char *key : kUnregistered) {
        SCOPED_TRACE(key);
        EXPECT_FALSE(store->isRegistered(key));
        EXPECT_FALSE(store->contains(key));
        EXPECT_FALSE(store->value(key).isValid());
    }
    EXPECT_FALSE(store->value("NoSuchKey").isValid());
}

TEST_F(DefaultsTest, TemplatesAreTheTenDefaultTextsVerbatim)
{
    const QMap<QString, QString> want = {
        {"FileHeader", kBanner +
                           "!      <Filename>\n!      Created: <Date> \n"
                           "!      By: <Name>  \n" +
                           kBanner},
        {"comment", kComment},
        {"Program...",
         "PROGRAM !^ \nIMPLICIT NONE \n" + kComment + "END PROGRAM \n" + kBanner + "!^\n"},
        {"Subroutine...",
         "SUBROUTINE !^ \nIMPLICIT NONE \n" + kComment + "END SUBROUTINE \n" + kBanner + "!^\n"},
        {"Function...",
         "FUNCTION !^ \nIMPLICIT NONE \n" + kComment + "END FUNCTION \n" + kBanner + "!^\n"},
        {"Module...", "Module !^ \nIMPLICIT NONE \n" + kComment + "CONTAINS \n!^\nEND Module \n" +
                          kBanner + "!^\n"},
        {"Do...", "DO !^ \n   !^\nEND DO\n!^"},
        {"If...", "IF ( !^ )     THEN\n   !^\nEND IF\n!^"},
        {"IfThenElse...", "IF ( !^ )     THEN\n   !^\nELSE\n   !^\nEND IF\n!^"},
        {"Select...",
         "SELECT CASE ( !^ )\n   CASE( !^ )\n      !^\n   CASE DEFAULT\nEND SELECT\n!^"},
    };
    auto store = makeStore();
    const QVariantMap got = store->mapValue("TemplateStrings");
    EXPECT_EQ(got.keys(), QStringList(want.keys()));
    for (auto it = want.cbegin(); it != want.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(got.value(it.key()).toString().toStdString(), it.value().toStdString());
    }
    // The frame and banner widths are easy to get wrong by one.
    EXPECT_EQ(kBanner.count('/'), 72);
    EXPECT_EQ(kFrame.count('-'), 67);
}

TEST_F(DefaultsTest, StoredValuesOverrideAndSurviveTheFile)
{
    struct Case {
        const char *key;
        QVariant stored;
    };
    const QVariantMap env = {{"OMP_STACKSIZE", "64M"}, {"LANG", "C"}};
    const Case cases[] = {
        {"ColorSyntax", false},
        {"Indentsizekey", 5},
        {"FontSize", 13.5},
        {"RealKind", QString("_dp")},
        {"EditorName", QString("gedit, with commas")},
        {"CommentColor", QString("#123456")},
        {"compilerPath", QString("/usr/bin/gfortran")},
        {"hasRunBefore", true},
        {"installedCompilers", QStringList{"/usr/bin/gfortran", "/usr/bin/mpif90"}},
        {"foundCompilersArrayKey", QStringList{"/usr/bin/gfortran"}},
        {"addedCompilersArrayKey", QStringList{}},
        {"environmentVariables", env},
    };
    {
        auto store = makeStore();
        for (const Case &c : cases) {
            store->setValue(c.key, c.stored);
            EXPECT_EQ(store->value(c.key), c.stored) << c.key;
        }
        ASSERT_TRUE(store->sync().ok());
    }
    // A fresh store reads the file: flags, numbers and lists keep their types. QSettings caches
    // files by path, so read a copy to make sure the text itself is parsed.
    const QString copy = dir.filePath("copy.conf");
    ASSERT_TRUE(QFile::copy(iniPath(), copy));
    auto reread =
        std::make_unique<Defaults>(std::make_unique<QSettings>(copy, QSettings::IniFormat));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_TRUE(reread->contains(c.key));
        const QVariant v = reread->value(c.key);
        EXPECT_EQ(v.metaType(), c.stored.metaType()) << v.typeName();
        EXPECT_EQ(v, c.stored);
    }
    EXPECT_EQ(reread->registeredValue("ColorSyntax"), QVariant(true));
}

TEST_F(DefaultsTest, GarbledStoredValuesFallBackToTheDefault)
{
    // A hand-edited settings file: unreadable values must not turn into 0 or false.
    test::writeFile(iniPath(), "[General]\nColorSyntax=maybe\nIndentsizekey=three\n"
                               "FontSize=big\nWindowWidth=120\nautoSaveFiles=false\n"
                               "CommentColor=reddish\nKeywordColor=#12\nStringColor=#A0B1C2\n");
    auto store = makeStore();
    EXPECT_EQ(store->value("ColorSyntax"), QVariant(true));
    EXPECT_EQ(store->value("Indentsizekey"), QVariant(3));
    EXPECT_EQ(store->value("FontSize"), QVariant(10.0));
    EXPECT_EQ(store->value("WindowWidth"), QVariant(120));
    EXPECT_EQ(store->value("autoSaveFiles"), QVariant(false));
    EXPECT_EQ(store->value("CommentColor"), QVariant(QString("#ff0000")));
    EXPECT_EQ(store->value("KeywordColor"), QVariant(QString("#0000ff")));
    EXPECT_EQ(store->value("StringColor"), QVariant(QString("#A0B1C2")));
    // Nothing is lost: the stored text stays in the file until the user stores another value.
    EXPECT_TRUE(store->sync().ok());
    EXPECT_TRUE(test::readFile(iniPath()).contains("Indentsizekey=three"));
}

TEST_F(DefaultsTest, SyncReportsAFileThatCannotBeWritten)
{
    // The settings file's folder is a regular file, so nothing can be written below it.
    test::writeFile(dir.filePath("blocker"), "x");
    Defaults store(
        std::make_unique<QSettings>(dir.filePath("blocker/Corvane.conf"), QSettings::IniFormat));
    store.setValue("Indentsizekey", 4);
    const Result<void> r = store.sync();
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error().contains("blocker/Corvane.conf")) << r.error().toStdString();
    // The value stays in effect for this session.
    EXPECT_EQ(store.value("Indentsizekey"), QVariant(4));

    auto good = makeStore();
    good->setValue("Indentsizekey", 4);
    EXPECT_TRUE(good->sync().ok());
}

TEST_F(DefaultsTest, AnUnreadableFileIsKeptBeforeItIsOverwritten)
{
    // QSettings rewrites a damaged file with only what it understood; the original must survive.
    const QByteArray damaged = "[General\nfoo=\"open\n\xff\xfe\n[Corvane]\nColorSyntax=false\n";
    test::writeFile(iniPath(), damaged);
    auto store = makeStore();
    EXPECT_TRUE(store->loadProblem().contains(iniPath())) << store->loadProblem().toStdString();
    store->setValue("Indentsizekey", 4);
    (void)store->sync();
    EXPECT_EQ(test::readFile(iniPath() + ".unreadable"), damaged);

    // A sound file gives no message and no copy.
    QFile::remove(iniPath() + ".unreadable");
    auto again = makeStore();
    EXPECT_TRUE(again->loadProblem().isEmpty());
    EXPECT_FALSE(QFile::exists(iniPath() + ".unreadable"));
}

TEST_F(DefaultsTest, RemoveRestoresTheRegisteredValue)
{
    auto store = makeStore();
    store->setValue("Indentsizekey", 8);
    store->setValue("compilerPath", QString("/opt/bin/ifort"));
    store->remove("Indentsizekey");
    store->remove("compilerPath");
    EXPECT_EQ(store->value("Indentsizekey"), QVariant(3));
    EXPECT_FALSE(store->contains("compilerPath"));
    // Storing an invalid value is a removal, not a stored "@Invalid()".
    store->setValue("RealKind", QString("_wp"));
    store->setValue("RealKind", QVariant());
    EXPECT_EQ(store->value("RealKind"), QVariant(QString("D0")));
}

TEST_F(DefaultsTest, ChangedFiresOnlyWhenTheEffectiveValueChanges)
{
    auto store = makeStore();
    QSignalSpy spy(store.get(), &Defaults::changed);
    struct Step {
        const char *what;
        std::function<void()> action;
        QStringList fired;
    };
    const Step steps[] = {
        {"set to a new value", [&] { store->setValue("ColorSyntax", false); }, {"ColorSyntax"}},
        {"set to the same value", [&] { store->setValue("ColorSyntax", false); }, {}},
        {"remove a stored value", [&] { store->remove("ColorSyntax"); }, {"ColorSyntax"}},
        {"remove when nothing is stored", [&] { store->remove("ColorSyntax"); }, {}},
        {"store the default itself", [&] { store->setValue("Indentsizekey", 3); }, {}},
        {"remove a stored default", [&] { store->remove("Indentsizekey"); }, {}},
        {"unregistered key appears",
         [&] { store->setValue("hasRunBefore", true); },
         {"hasRunBefore"}},
        {"unregistered key goes", [&] { store->remove("hasRunBefore"); }, {"hasRunBefore"}},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        spy.clear();
        s.action();
        QStringList fired;
        for (const QList<QVariant> &args : spy)
            fired << args.at(0).toString();
        EXPECT_EQ(fired, s.fired);
    }
}

TEST_F(DefaultsTest, RegisterDefaultsAddsAndReplaces)
{
    auto store = makeStore();
    store->registerDefaults({{"Indentsizekey", 2}, {"showLineNumbers", true}});
    EXPECT_EQ(store->value("Indentsizekey"), QVariant(2));
    EXPECT_EQ(store->value("showLineNumbers"), QVariant(true));
    EXPECT_EQ(store->value("ColorSyntax"), QVariant(true));
}

TEST(FontFamily, MonacoStandsForTheFixedFamily)
{
    struct Case {
        const char *name;
        const char *fixed;
        const char *want;
    };
    const Case cases[] = {
        {"Monaco", "DejaVu Sans Mono", "DejaVu Sans Mono"},
        {"monaco", "Noto Mono", "Noto Mono"},
        {"Monaco", "", "monospace"},
        {"Fira Code", "DejaVu Sans Mono", "Fira Code"},
        {"", "DejaVu Sans Mono", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fontFamilyForName(c.name, c.fixed), QString(c.want));
    }
}

TEST_F(DefaultsTest, FontFamilyUsesTheInstalledResolver)
{
    auto store = makeStore();
    Defaults::setFixedFamilyResolver([] { return QStringLiteral("Liberation Mono"); });
    EXPECT_EQ(store->fontFamily("FontName"), QString("Liberation Mono"));
    store->setValue("consoleFontName", QString("Hack"));
    EXPECT_EQ(store->fontFamily("consoleFontName"), QString("Hack"));
    Defaults::setFixedFamilyResolver({});
    EXPECT_EQ(store->fontFamily("FontName"), QString("monospace"));
    // The stored name stays "Monaco"; only the family used for drawing is mapped.
    EXPECT_EQ(store->stringValue("FontName"), QString("Monaco"));
}

TEST(DefaultsInstance, IsTheApplicationStoreWithDefaultsRegistered)
{
    Defaults &store = Defaults::instance();
    EXPECT_EQ(&store, &Defaults::instance());
    EXPECT_EQ(store.value("Indentsizekey"), QVariant(3));
    EXPECT_FALSE(store.contains("compilerPath"));
}

} // namespace
