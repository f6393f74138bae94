// The companions of a picture: the files of its folder that belong to the
// same shot and travel with it when it is moved, deleted or brought back.
// A companion has the picture's name before the extension and an extension
// of a companion kind: a camera's raw file, a sidecar of edits or of the
// phone's camera, the phone's live-photo clip. Letter case is ignored in
// both parts, as the file system ignores it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bex {

// Whether name is a companion of the file shownName (itself is none).
bool IsCompanionOf(std::wstring_view shownName, std::wstring_view name);

// The companions of shownName among the names of its folder, in their order.
std::vector<std::wstring> CompanionsAmong(std::wstring_view shownName,
                                          const std::vector<std::wstring>& folderNames);

// The directory-search pattern that finds every candidate: the stem and ".*".
std::wstring CompanionSearchPattern(std::wstring_view shownName);

// The name a companion takes beside the picture's new name: the new name
// before its extension, then the companion's own extension; its own name
// while the picture keeps its name before the extension.
std::wstring CompanionNameBeside(std::wstring_view newShownName, std::wstring_view companionName);

}  // namespace bex
