// program_texts.h - the program's English texts that several tests expect a
// run to show: the captions of its failure messages and its two
// continue-or-stop questions, as resources/SetupOrdane.rc gives them.
#pragma once

namespace testrun {

inline constexpr const char *kSetupFailure = "Ordane Driver setup failure";        // string 100
inline constexpr const char *kDeletionFailure = "Ordane Driver deletion failure";  // string 160
inline constexpr const char *kBackupFailedQuestion =                               // string 25
    "Backup copy has failed.\r\nThis failure will not disturb next setup steps.\r\n\r\nDo you want to continue?";
inline constexpr const char *kCopyFailedQuestion =  // string 27
    "The file has not been copied on the target folder.\r\nThis can disturb next setup steps.\r\n\r\n"
    "Do you want to continue?";

}  // namespace testrun
