// The editor's configuration file.

#include "setup/EditorConfig.h"

#include "sys/Launcher.h"

std::string ConfigFileName() { return ProgramDirectory() + "KivEdt.ini"; }
