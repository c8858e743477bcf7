// Checks an installation made by the Varnotek installer from inside Windows: the installed files,
// the Start-menu shortcuts and the folders they start in, the Add/Remove Programs entry, and the
// simulated recorder started as its shortcut starts it. scripts/installer_check.sh runs it after
// a silent install into a fresh prefix; the plain end-to-end run leaves it out (DISABLED_).
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app_driver.h"
#include "res/resource_ids.h"

namespace {

std::string knownFolder(int csidl) {
  char path[MAX_PATH] = {0};
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

struct Shortcut {
  std::string target;
  std::string workDir;
};

bool readShortcut(const std::string& linkPath, Shortcut& shortcut) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  bool read = false;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    const std::wstring widePath(linkPath.begin(), linkPath.end());  // our names are ASCII
    char target[MAX_PATH] = {0};
    char workDir[MAX_PATH] = {0};
    read = SUCCEEDED(file->Load(widePath.c_str(), STGM_READ)) &&
           SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
           SUCCEEDED(link->GetWorkingDirectory(workDir, MAX_PATH));
    shortcut = {target, workDir};
    file->Release();
  }
  link->Release();
  return read;
}

std::string uninstallValue(const char* name) {
  char value[512] = {0};
  DWORD size = sizeof value;
  const LONG read =
      RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Varnotek", name,
                   RRF_RT_REG_SZ, nullptr, value, &size);
  return read == ERROR_SUCCESS ? value : "(missing)";
}

int countFiles(const std::string& folder, const std::string& extension) {
  std::error_code error;
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    count += entry.path().extension() == extension;
  }
  return count;
}

}  // namespace

TEST(InstalledE2E, DISABLED_ShortcutsStartTheRecorderInTheDataFolderAndHelpFindsTheGuide) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  const std::string install = knownFolder(CSIDL_PROGRAM_FILES) + "\\Varnotek\\";
  const std::string dataFolder = knownFolder(CSIDL_PERSONAL) + "\\Varnotek";
  const std::string menu = knownFolder(CSIDL_PROGRAMS) + "\\Varnotek\\";

  struct Expected {
    const char* link;
    const char* program;
    bool startsInDataFolder;
  };
  const std::vector<Expected> expected = {
#if !defined(_WIN64)
      {"Varnotek recorder.lnk", "varnotek.exe", true},
#endif
      {"Varnotek recorder (simulated card).lnk", "varnotek-sim.exe", true},
      {"Varnotek viewer.lnk", "qeltool.exe", true},
      {"Operator's guide.lnk", "QELHELP.PDF", false},
      {"Uninstall Varnotek.lnk", "Uninstall.exe", false},
  };
  Shortcut simulated;
  for (const Expected& entry : expected) {
    SCOPED_TRACE(entry.link);
    Shortcut shortcut;
    ASSERT_TRUE(readShortcut(menu + entry.link, shortcut));
    EXPECT_STRCASEEQ(shortcut.target.c_str(), (install + entry.program).c_str());
    EXPECT_GT(fileSizeOf(install + entry.program), 0);
    if (entry.startsInDataFolder) {
      EXPECT_STRCASEEQ(shortcut.workDir.c_str(), dataFolder.c_str());
    }
    if (std::string(entry.program) == "varnotek-sim.exe") simulated = shortcut;
  }
  EXPECT_EQ(countFiles(menu, ".lnk"), static_cast<int>(expected.size()));
  EXPECT_GT(fileSizeOf(install + "qeltool.exe"), 0);
#if defined(_WIN64)
  EXPECT_EQ(fileSizeOf(install + "varnotek.exe"), -1);  // the x64 edition has no real-card recorder
#endif

  EXPECT_EQ(uninstallValue("Publisher"), "Varnotek");
  EXPECT_NE(uninstallValue("DisplayVersion").find('.'), std::string::npos) << uninstallValue("DisplayVersion");
  EXPECT_STRCASEEQ(uninstallValue("UninstallString").c_str(), ("\"" + install + "Uninstall.exe\"").c_str());

  // Started as its shortcut starts it, the simulated recorder finds its card, Help opens the
  // guide beside the program (in a stand-in viewer registered for .pdf that notes what it was
  // given), and Quit leaves QEL.SUP in the data folder.
  ASSERT_TRUE(registerShellOpenNote(".pdf"));
  DeleteFileA(shellOpenNotePath().c_str());
  RunningApp app;
  ASSERT_TRUE(startApp(app, simulated.target, simulated.workDir));
  EXPECT_EQ(statusLine(app), "Found KOLVA card");
  clickButton(app, IDC_HELP_BUTTON);
  std::string opened;
  for (int i = 0; i < 200 && opened.empty(); ++i) {
    Sleep(50);
    opened = readText(shellOpenNotePath());
  }
  EXPECT_STRCASEEQ(opened.c_str(), (install + "QELHELP.PDF").c_str());
  EXPECT_EQ(statusLine(app), "Found KOLVA card");
  clickButton(app, IDC_QUIT);
  EXPECT_EQ(waitForExit(app, 20000), 0);
  stopApp(app);
  EXPECT_EQ(fileSizeOf(dataFolder + "\\QEL.SUP"), 65);
  CoUninitialize();
}
