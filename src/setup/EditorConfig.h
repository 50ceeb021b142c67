#pragma once
// EditorConfig: where the editor's own configuration lives.

#include <string>

// "KivEdt.ini" beside the running program.
[[nodiscard]] std::string ConfigFileName();
