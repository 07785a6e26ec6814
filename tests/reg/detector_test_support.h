#pragma once
// Shared pieces of the detector tests: expected record texts, a file with a
// known digest, and running a detector.

#include "reg/detector.h"

#include "tests/foundation/temp_folder.h"

#include <initializer_list>
#include <string>
#include <utility>

// The record text of one finding, fields in order.
inline std::string Record(const char* tag, std::initializer_list<std::pair<const char*, std::string>> fields)
{
    std::string text = std::string("\t<") + tag + ">\n";
    for (const auto& f : fields)
        text += std::string("\t\t<") + f.first + ">" + f.second + "</" + f.first + ">\n";
    return text + "\t</" + tag + ">\n";
}

template <class T, class... Args> std::string Detect(Args&&... args)
{
    T detector(std::forward<Args>(args)...);
    detector.Detect();
    return detector.GetResult();
}

// MD5 of the three bytes "abc".
const char kAbcMd5[] = "900150983cd24fb0d6963f7d28e17f72";

inline std::string PlantAbcFile(const TempFolder& folder, const char* name)
{
    const std::string path = folder.File(name);
    TempFolder::Write(path, {'a', 'b', 'c'});
    return path;
}
