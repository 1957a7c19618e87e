// What today's Allegro and eBay would refuse in a free-HTML page such as the classic one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "structured/Description.h"

namespace licytek::structured {

enum class Target { Allegro, Ebay };

struct PageTargets {
    bool allegro = true;
    bool ebay = true;
};

// One finding in a page, at the place where it starts.
struct PageFinding {
    Severity severity = Severity::Error;  // Error: the site would refuse it
    Target target = Target::Allegro;
    std::size_t line = 0;    // from 1
    std::size_t column = 0;  // from 1, in characters (code points) of the line, a tab is one
    std::string subject;     // the element or attribute, e.g. "script", "onload", "http://"
    std::string message;     // Polish, UTF-8: the rule it breaks
    std::size_t count = 1;   // how many places it stands for: more when it sums up the rest
};

// The findings of the page `utf8Html`, in the order of the page. A page past the limits of
// MarkupLimitProblem gets one error finding, at its start, that names the limit.
std::vector<PageFinding> CheckPage(std::string_view utf8Html, PageTargets targets = {});

// How many places of a page the sites would refuse or should be checked. A summing-up finding
// counts for every place it stands for, so the window and the command line say the same.
struct PageCounts {
    std::size_t errors = 0;
    std::size_t warnings = 0;
    std::size_t allegroErrors = 0;  // the part of `errors` that Allegro would refuse
    std::size_t ebayErrors = 0;     // and eBay
};
PageCounts CountPageFindings(const std::vector<PageFinding>& findings);

// "allegro" or "ebay".
std::string_view TargetName(Target target);

}  // namespace licytek::structured
