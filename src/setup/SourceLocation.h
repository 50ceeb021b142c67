#pragma once
// SourceLocation: where the installation files are, worked out once at start
// from the answer file's [Data] keys and published to the programs the editor
// starts, as the variables "sourcepath" and "SourceRoot".

#include <string>

// The installation source folder as a drive-letter path, and the site folder
// "PachOffset" leads to from it; both without a trailing backslash.
extern std::string SourcePath;
extern std::string SourceRoot;

// [Data] "sourcepath" of the working copy, converted from a device path into
// SourcePath and the variable "sourcepath" (empty when no drive matches).
void InitSourcePath();

// The source folder by [Data] "OriTyp" and "OriSrc" into the variable
// "sourcepath", and the folder "PachOffset" of `configFile` leads to from it
// into SourceRoot and the variable "SourceRoot"; the current directory is the
// same afterwards. Needs InitSourcePath first. Without an argument the
// configuration is KivEdt.ini beside the program.
void InitSourceRoot();
void InitSourceRoot(const std::string& configFile);
