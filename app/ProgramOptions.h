#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace kg {

// The program's own options, taken off the command line before the rest becomes the command
// line of the start-up ("-hid"):
//   --emulator         the emulated keyboard for HID, device notifications and keys
//   --screenshot FILE  saves a picture of the main window after start-up, then closes it
//   --quit-after MS    closes the main window after MS milliseconds
//   --command NAME     raises the command event of NAME (a button, "zh_cn") once the loop runs;
//                      repeatable, in order, before a screenshot is taken
//   --help, --version  print the usage or the version and end
// Any other word beginning with "--" is an unknown option; single-dash words ("-hid") belong to
// the start-up's command line.
struct ProgramOptions {
    bool help = false;
    bool version = false;
    bool emulator = false;
    std::vector<QString> commands;
    QString screenshotPath;
    int quitAfter_ms = -1;
    std::string commandLine;  // the remaining words, joined by single spaces
    bool valid = true;
    std::string error;  // why the options are not valid
};

ProgramOptions parseProgramOptions(const std::vector<std::string>& args);

// The usage text (several lines, ending with a line break) and the version line.
std::string programUsage();
std::string programVersion();

// Exactly "-hid" (case-sensitive, nothing before or after it) starts hidden.
bool startsHidden(std::string_view commandLine);

}  // namespace kg
