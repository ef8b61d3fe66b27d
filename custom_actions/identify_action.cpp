#include <optional>
#include <string>

#include "custom_actions/answer_properties.h"
#include "custom_actions/answers.h"
#include "custom_actions/custom_actions.h"
#include "custom_actions/property_names.h"
#include "devicemask/list_file.h"

namespace qv::custom_actions {
namespace {

constexpr char kPrefix[] = "QvIdentify: ";

std::string LogLine(const Property& property) {
  std::string line = kPrefix + property.name;
  line += property.value.empty() ? " cleared" : " = " + property.value;
  if (!property.note.empty()) line += " (" + property.note + ")";
  return line;
}

ActionResult IdentifyOrThrow(PropertySink& session) {
  const std::optional<std::string> listFile = session.Get(kListFileProperty);
  if (!listFile) {
    session.Log(kPrefix + std::string("the property ") + kListFileProperty + " cannot be read");
    return ActionResult::kFailed;
  }
  const bool useDefault = listFile->empty();
  session.Log(kPrefix + std::string("list file \"") +
              (useDefault ? devicemask::kListFileName : *listFile) + "\"" +
              (useDefault ? " in the current directory" : ""));

  const Answers answers = AskTheLibrary(useDefault ? nullptr : listFile->c_str());
  for (const Property& property : PropertiesOf(answers)) {
    if (!session.Set(property.name, property.value)) {
      session.Log(kPrefix + std::string("the property ") + property.name + " cannot be set");
      return ActionResult::kFailed;
    }
    session.Log(LogLine(property));
  }
  return ActionResult::kSucceeded;
}

}  // namespace

ActionResult Identify(PropertySink& session) noexcept {
  try {
    return IdentifyOrThrow(session);
  } catch (...) {
    // Out of memory in our own text: the properties may be half set, which the installer
    // must not act on.
    LogIfPossible(session, "QvIdentify: out of memory");
    return ActionResult::kFailed;
  }
}

}  // namespace qv::custom_actions
