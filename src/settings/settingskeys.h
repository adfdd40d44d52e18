// The keys of the per-user settings store, spelled exactly as stored. Their mixed style is part of
// the stored format; do not "tidy" them.
#pragma once

namespace corvane::keys
{

// Editor colouring and fonts.
inline constexpr char ColorSyntax[] = "ColorSyntax";
inline constexpr char CommentColor[] = "CommentColor";
inline constexpr char PreprocessorColor[] = "PreprocessorColor";
inline constexpr char NormalColor[] = "NormalColor";
inline constexpr char KeywordColor[] = "KeywordColor";
inline constexpr char IntrinsicColor[] = "IntrinsicColor";
inline constexpr char StringColor[] = "StringColor";
inline constexpr char WindowColor[] = "WindowColor";
inline constexpr char FontSize[] = "FontSize";
inline constexpr char FontName[] = "FontName";
// Not registered: the line-number ruler is shown unless this is stored as false.
inline constexpr char showLineNumbers[] = "showLineNumbers";
// A guide after column 132 in free-form sources (fixed form always shows one after 72).
inline constexpr char showFreeFormGuide[] = "showFreeFormGuide";

// Windows and documents.
inline constexpr char NewDocumentFlag[] = "NewDocumentFlag";
inline constexpr char RememberWindowLocation[] = "RememberWindowLocation";
inline constexpr char WindowWidth[] = "WindowWidth";
inline constexpr char showAdvancedControls[] = "showAdvancedControls";
inline constexpr char defaultFileExtension[] = "defaultFileExtension";
inline constexpr char autoSaveFiles[] = "autoSaveFiles";

// Editing commands and templates.
inline constexpr char TemplateStrings[] = "TemplateStrings";
inline constexpr char RealKind[] = "RealKind";
inline constexpr char UppercaseKeywordFlag[] = "UppercaseKeywordFlag";
inline constexpr char IndentlinesFlag[] = "IndentlinesFlag";
inline constexpr char Indentsizekey[] = "Indentsizekey";
inline constexpr char AligncommentsFlag[] = "AligncommentsFlag";
inline constexpr char CommentSeparator[] = "CommentSeparator";
inline constexpr char CommentSeparatorExtent[] = "CommentSeparatorExtent";
inline constexpr char CommentSeparatorLineWidth[] = "CommentSeparatorLineWidth";

// Completion.
inline constexpr char autoCompleteParentheses[] = "autoCompleteParentheses";
inline constexpr char autoCompleteFortranKeywords[] = "autoCompleteFortranKeywords";
inline constexpr char autoCompleteProcedures[] = "autoCompleteProcedures";
inline constexpr char autoCompleteFortranIntrinsics[] = "autoCompleteFortranIntrinsics";
inline constexpr char showArgumentListsDuringAutocomplete[] = "showArgumentListsDuringAutocomplete";

// Console, builds and runs.
inline constexpr char saveConsoleSessions[] = "saveConsoleSessions";
inline constexpr char consoleNormalColor[] = "consoleNormalColor";
inline constexpr char consoleInfoColor[] = "consoleInfoColor";
inline constexpr char consoleErrorColor[] = "consoleErrorColor";
inline constexpr char consoleWindowColor[] = "consoleWindowColor";
inline constexpr char consoleFontName[] = "consoleFontName";
inline constexpr char consoleFontSize[] = "consoleFontSize";
inline constexpr char timeUnitsSelectionIndex[] = "timeUnitsSelectionIndex";
inline constexpr char clearConsoleOnCompile[] = "clearConsoleOnCompile";
inline constexpr char parallelBuild[] = "parallelBuild";
// How many jobs a parallel build runs at once (make -jN); registered as the number of cores.
inline constexpr char parallelJobs[] = "parallelJobs";

// External editing: the built-in standalone editor, or the named external application.
inline constexpr char CorvaneEdit[] = "Corvane-Edit";
inline constexpr char EditorName[] = "EditorName";

// Not registered: absent until the program or the user stores them.
inline constexpr char compilerPath[] = "compilerPath";
inline constexpr char foundCompilersArrayKey[] = "foundCompilersArrayKey";
inline constexpr char addedCompilersArrayKey[] = "addedCompilersArrayKey";
inline constexpr char installedCompilers[] = "installedCompilers";
inline constexpr char hasRunBefore[] = "hasRunBefore";
inline constexpr char environmentVariables[] = "environmentVariables";

// The font name that stands for the system's fixed-pitch family (see fontFamilyForName).
inline constexpr char FixedFontAlias[] = "Monaco";

} // namespace corvane::keys
