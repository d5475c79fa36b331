// The log switch on Windows: <Public>\NORVA\Lumora\LOG\TWAIN, where <Public> is the
// known folder every user shares (C:\Users\Public on a usual install), asked of the
// shell rather than written with a drive.
#include <windows.h>
#include <shlobj.h>

#include "TraceLogFile.h"
#include "WinText.h"

void setupTwainLog() {
    PWSTR publicFolder = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Public, KF_FLAG_DEFAULT, nullptr, &publicFolder))) {
        CoTaskMemFree(publicFolder);
        return;
    }
    const std::string directory = Utf8FromWide(publicFolder) + "\\NORVA\\Lumora\\LOG\\TWAIN";
    CoTaskMemFree(publicFolder);
    setupTwainLogIn(directory.c_str());
}
