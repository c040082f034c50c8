// The command line: what a start of the program asks for, read the same way on
// both platforms; the shells only pass the arguments in and show the result.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct App;

// The options, for the shells' own parsers and for the help text.
struct LaunchOption {
  const char* Short;  // "" for none
  const char* Long;
  const char* ValueName;  // nullptr for a flag
  const char* Description;
};
inline constexpr std::array<LaunchOption, 5> LaunchOptions = {{
    {"m", "message", "TEXT", "show TEXT at the alarm (for this timer only)"},
    {"", "minimized", nullptr, "start with the window minimized"},
    {"", "stop", nullptr, "stop the music of every running copy"},
    {"h", "help", nullptr, "show this help"},
    {"v", "version", nullptr, "show the version"},
}};

// What a parser found in the arguments, before the rules are applied.
struct ParsedArguments {
  std::string Error;  // the parser's complaint; empty when it had none
  bool Help = false;
  bool Version = false;
  bool Stop = false;
  bool Minimized = false;
  std::optional<std::string> Message;
  std::vector<std::string> Positionals;
};

// Reads the arguments (without the program's name): "-m TEXT", "--message=TEXT",
// "--" ending the options. With slashOptions, "/stop" and "/?" too.
ParsedArguments ReadArguments(const std::vector<std::string>& args, bool slashOptions);

enum class LaunchAction { Open, Stop, Help, Version, Fail };

struct LaunchRequest {
  LaunchAction Action = LaunchAction::Open;
  std::string Entry;  // started as if typed and Enter pressed; empty for none
  std::optional<std::string> Message;
  bool Minimized = false;
  int ExitStatus = 0;  // when the program ends without a window
  std::string Text;    // the help, the version or what is wrong
};

// Who is asking: the program's name as typed, the platform's option style.
struct LaunchContext {
  std::string Program;
  bool WindowsStyle = false;
  std::string Version;
};

// The rules: help and version first, then --stop alone, then the entry,
// which must be one the time box accepts.
LaunchRequest DecideLaunch(const ParsedArguments& parsed, const LaunchContext& context);

// After start-up, before the window shows: the message, then the entry as if
// typed into the time box and Enter pressed.
void ApplyLaunch(App& app, const LaunchRequest& request);
