// The command line's rules (see CommandLine.h).
#include "app/CommandLine.h"

#include "alarm/AlarmSetting.h"
#include "app/App.h"
#include "app/Ids.h"
#include "app/Text.h"

namespace {
const LaunchOption* FindOption(std::string_view name) {
  for (const LaunchOption& option : LaunchOptions) {
    if (name == option.Long || (!name.empty() && name == option.Short)) return &option;
  }
  return nullptr;
}

void Set(ParsedArguments& parsed, std::string_view longName) {
  if (longName == "help") parsed.Help = true;
  if (longName == "version") parsed.Version = true;
  if (longName == "stop") parsed.Stop = true;
  if (longName == "minimized") parsed.Minimized = true;
}

std::string Usage(const LaunchContext& context) {
  const std::string p = context.Program;
  const std::string dash = context.WindowsStyle ? "/" : "-";
  const std::string dashes = context.WindowsStyle ? "/" : "--";
  return "Usage: " + p + " [" + dash + "m TEXT] [" + dashes + "minimized] [TIME]\n       " + p + " " + dashes +
         "stop | " + dashes + "help | " + dashes + "version\n" +
         "TIME is minutes from 0 to 1380 or a clock time such as 8:30 pm; the timer starts at once.\n";
}

std::string Help(const LaunchContext& context) {
  std::string text = Usage(context) + "\nOptions:\n";
  for (const LaunchOption& option : LaunchOptions) {
    std::string names;
    if (context.WindowsStyle) {
      names = *option.Short ? std::string("/") + option.Short + ", /" + option.Long : std::string("/") + option.Long;
    } else {
      names =
          *option.Short ? std::string("-") + option.Short + ", --" + option.Long : std::string("    --") + option.Long;
    }
    if (option.ValueName) names += std::string(" ") + option.ValueName;
    text += "  " + names + std::string(names.size() < 22 ? 22 - names.size() : 1, ' ') + option.Description + "\n";
  }
  return text;
}

LaunchRequest Failure(const LaunchContext& context, const std::string& problem) {
  return {LaunchAction::Fail, {}, {}, false, 2, context.Program + ": " + problem + "\n" + Usage(context)};
}
}  // namespace

ParsedArguments ReadArguments(const std::vector<std::string>& args, bool slashOptions) {
  ParsedArguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool dashed = arg.size() > 1 && arg[0] == '-';
    const bool slashed = slashOptions && arg.size() > 1 && arg[0] == '/';
    if (optionsEnded || !(dashed || slashed)) {
      parsed.Positionals.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string_view name(arg);
    name.remove_prefix(name.starts_with("--") ? 2 : 1);
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = std::string(name.substr(equals + 1));
      name = name.substr(0, equals);
    }
    if (slashOptions && name == "?") name = "help";
    const LaunchOption* option = FindOption(name);
    if (!option) {
      parsed.Error = "Unknown option '" + std::string(name) + "'.";
      return parsed;
    }
    if (!option->ValueName) {
      if (value) {
        parsed.Error = "Unexpected value after '" + std::string(arg.substr(0, arg.find('='))) + "'.";
        return parsed;
      }
      Set(parsed, option->Long);
      continue;
    }
    if (!value) {
      if (i + 1 >= args.size()) {
        parsed.Error = "Missing value after '" + arg + "'.";
        return parsed;
      }
      value = args[++i];
    }
    parsed.Message = *value;
  }
  return parsed;
}

LaunchRequest DecideLaunch(const ParsedArguments& parsed, const LaunchContext& context) {
  if (!parsed.Error.empty()) return Failure(context, parsed.Error);
  if (parsed.Help) return {LaunchAction::Help, {}, {}, false, 0, Help(context)};
  if (parsed.Version)
    return {LaunchAction::Version, {}, {}, false, 0, std::string(ProgramName) + " " + context.Version + "\n"};
  if (parsed.Stop) {
    if (!parsed.Positionals.empty() || parsed.Message || parsed.Minimized) {
      return Failure(context,
                     std::string(context.WindowsStyle ? "/" : "--") + "stop takes no time, message or other option.");
    }
    return {LaunchAction::Stop, {}, {}, false, 0, {}};
  }
  LaunchRequest request{LaunchAction::Open, {}, parsed.Message, parsed.Minimized, 0, {}};
  if (parsed.Positionals.empty()) return request;
  // "8:30 pm" unquoted is two arguments, and still one entry.
  std::string entry;
  for (const std::string& word : parsed.Positionals) entry += (entry.empty() ? "" : " ") + word;
  const std::string trimmed = TrimBlanks(entry);
  if (trimmed.size() > static_cast<std::size_t>(TimeEditReadLimit) || !ParseAlarmSetting(trimmed, false)) {
    return Failure(context, "'" + entry + "' is not a time to count down to.");
  }
  request.Entry = entry;
  return request;
}

void ApplyLaunch(App& app, const LaunchRequest& request) {
  if (request.Action != LaunchAction::Open) return;
  if (request.Message) app.State.AlarmMessage = TrimBlanks(*request.Message);
  if (request.Entry.empty()) return;
  app.Port.Window.SetItemText(IdTimeEdit, request.Entry);
  StartTimer(app);
}
