// The plug-in's "logfile" setting, which switches its trace log on: under
// Windows the value in HKCU\SOFTWARE\Veskary\Photoshop\CorvaneII, in native
// builds the linked-in filter's settings store. Set before the plug-in is
// loaded, since it reads the value when it attaches.
#pragma once

#include <string>

bool SetLogfileSetting(const std::string& strPath, std::string& strError);
bool RemoveLogfileSetting(std::string& strError);
