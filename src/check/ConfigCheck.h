#pragma once
// ConfigCheck: KivEdt.ini as the editor will read it on the setup medium,
// and the programs it and the UDB files will have it start.

#include "check/Finding.h"

#include <string>
#include <vector>

namespace check {

// The installation tree the medium will hold, as the editor resolves names
// in it. sourcePath is ROOT\I386, the folder a relative [UDB] Path is taken
// below. The folder the variables start from depends on the answer file:
// with [Data] OriTyp, as setup writes it, the editor takes the origin
// without its I386, so %sourcepath% is ROOT and %SourceRoot% ROOT joined
// with [KivEditor] PachOffset; without it both start from ROOT\I386.
struct MediaTree {
  std::string sourcePath, variableSourcePath, sourceRoot;
};
// Empty fields when `root` is empty.
[[nodiscard]] MediaTree MediaTreeOf(const std::string& root, const std::string& configFile,
                                    const std::string& answerFile = {});

// Why the program a command starts will not be found, once the tree's
// variables are resolved; empty when it is found or cannot be judged here
// (a relative path, a variable only the target machine has).
[[nodiscard]] std::string MissingProgram(const std::string& command, const MediaTree& media);

// `udbArgument`: the UDB file or folder of the command line (may be empty),
// where the editor's UDB folder is sought when the medium is not given.
[[nodiscard]] std::vector<Finding> CheckEditorConfig(const std::string& configFile, const MediaTree& media,
                                                     const std::string& udbArgument);

// Every RunOnExit entry of the UDB file's editor sections whose program
// will not be found.
[[nodiscard]] std::vector<Finding> CheckExitPrograms(const std::string& udbFile, const MediaTree& media);

}  // namespace check
