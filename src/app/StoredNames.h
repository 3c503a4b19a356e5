#pragma once

// The names the main window keeps where people and other programs meet them: the keys its
// choices are stored under, the object names of its controls (which style sheets and tests look
// up) and the operations its error reports name. They keep the names earlier versions gave them,
// so stored choices, style sheets and reports stay as they were; the code calls each by its role.

#include <QString>

namespace orvanta::stored_names {

// Keys in the settings group "Orvanta".
namespace keys {
inline constexpr auto kPromptForPassword = "Check2";
inline constexpr auto kExtraLengths = "Text1";
inline constexpr auto kLengthBoxPrefix = "Phrases"; // then the box's index: 0 for length 2
inline constexpr auto kSamplesSnapshot = "Snapshot";
inline constexpr auto kLastScanFolder = "LastFolder";
inline constexpr auto kScanExtension = "Extension";
inline constexpr auto kJoinWrappedLines = "JoinWrappedLines";
inline constexpr auto kRejoinHyphenatedWords = "RejoinHyphenatedWords";
inline constexpr auto kDropRunningHeads = "DropRunningHeads";
inline constexpr auto kIgnorePunctuation = "IgnorePunctuation";
inline constexpr auto kNormaliseCompatibility = "NormaliseCompatibility";
inline constexpr auto kWordsNeedLetters = "WordsNeedLetters";
inline constexpr auto kReadScannedPages = "ReadScannedPages";
inline constexpr auto kRecognitionLanguages = "RecognitionLanguages";
inline constexpr auto kMemoryLimit = "MemoryLimitMiB";    // 0 or missing: none
inline constexpr auto kWindowPlace = "WindowGeometry";    // QWidget::saveGeometry(), base64
inline constexpr auto kRecentProjects = "RecentProjects"; // paths, newest first, one a line

// The tick of the box for phrases of `index` + 2 words, "0" or "1".
inline QString lengthBoxKey(int index)
{
    return QLatin1String(kLengthBoxPrefix) + QString::number(index);
}
} // namespace keys

// Object names of the main window and its controls.
namespace objects {
inline constexpr auto kMainWindow = "Form1";
inline constexpr auto kAddFilesButton = "PushButton1";
inline constexpr auto kWorkbookButton = "PushButton2";
inline constexpr auto kClearInputButton = "PushButton3";
inline constexpr auto kAddFolderButton = "PushButton4";
inline constexpr auto kHelpButton = "PushButton5";
inline constexpr auto kSaveTextButton = "PushButton6";
inline constexpr auto kCountButton = "PushButton7";
inline constexpr auto kCopyButton = "PushButton8";
inline constexpr auto kClearResultsButton = "PushButton9";
inline constexpr auto kLengthHelpButton = "PushButton10";
inline constexpr auto kSamplesButton = "PushButton11";
inline constexpr auto kExploreButton = "PushButton12";
inline constexpr auto kAboutButton = "PushButton13";
inline constexpr auto kInputList = "ListView1";
inline constexpr auto kResultsList = "ListView2";
inline constexpr auto kLengthFrame = "Frame1";
inline constexpr auto kPasswordFrame = "Frame2";
inline constexpr auto kPromptForPassword = "Check2";
inline constexpr auto kLengthBox = "Check1"; // every length box; its "index" property tells which
inline constexpr auto kExtraLengthsLabel = "Label1";
inline constexpr auto kExtraLengths = "Text1";
inline constexpr auto kStatusLine = "StatusLine";
inline constexpr auto kStatusProgress = "StatusProgress";
inline constexpr auto kExploreAction = "ExploreAction";
inline constexpr auto kStopButton = "StopButton";
inline constexpr auto kRunSummary = "RunSummary";
inline constexpr auto kMenuBar = "MenuBar";
inline constexpr auto kRecentProjectsMenu = "RecentProjectsMenu";
} // namespace objects

// The module and operations that the main window's error reports name ("in
// Quorvel2021/08/31.Form1.PushButton7_Click at line 104").
namespace operations {
inline constexpr auto kModule = "Form1";
inline constexpr auto kAddFiles = "PushButton1_Click";
inline constexpr auto kExportWorkbook = "PushButton2_Click";
inline constexpr auto kClearInput = "PushButton3_Click";
inline constexpr auto kAddFolder = "PushButton4_Click";
inline constexpr auto kShowHelp = "PushButton5_Click";
inline constexpr auto kSaveText = "PushButton6_Click";
inline constexpr auto kCount = "PushButton7_Click";
inline constexpr auto kCopyToClipboard = "PushButton8_Click";
inline constexpr auto kClearResults = "PushButton9_Click";
inline constexpr auto kShowLengthHelp = "PushButton10_Click";
inline constexpr auto kLoadSamples = "PushButton11_Click";
inline constexpr auto kShowAbout = "PushButton13_Click";
} // namespace operations

} // namespace orvanta::stored_names
