// The catalogue names the package files and the folders they sit in; those
// texts become paths in the Temp and Update folders, on the server and in
// the source folder, and fields of a download item. Only texts that stay
// inside their folder and inside their field are accepted.
#pragma once

#include <initializer_list>
#include <string>

namespace kt::download {

// A plain file name: not empty, not "." or "..", no "/" or "\", no control
// character, no ";" (the download item's field separator).
bool IsPlainFileName(const std::string& name);

// A sub-folder that stays below its base: empty, or relative components
// (separated by "/" or "\") none of which is "..", no drive or root prefix,
// no control character and no ";".
bool IsContainedLocation(const std::string& location);

// A value that can stand in a download item: no ";" and no control character.
bool IsItemField(const std::string& value);

// The location with "\" separators turned into "/", for paths and addresses.
std::string LocationPath(const std::string& location);

}  // namespace kt::download

namespace kt::download {

// A package whose file, folder and item values are all acceptable.
bool IsSafePackage(const std::string& location, const std::string& name,
                   std::initializer_list<std::string> itemFields);

}  // namespace kt::download
