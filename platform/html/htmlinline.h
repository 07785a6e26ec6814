#pragma once
// Laid-out inline content of a block container: the run of inline-level
// children between two block-level ones, broken into lines of fragments.

#include <cstdint>
#include <vector>

class CHtmlNode;
class CHtmlFont;

struct CHtmlFragment
{
    enum Kind : uint8_t { Text, Box };
    Kind kind = Text;
    CHtmlNode* node = nullptr;     // text node, or the element of a box
    CHtmlFont* font = nullptr;     // text only
    int start = 0, length = 0;     // characters of node->text
    int x = 0, y = 0, width = 0, height = 0;  // relative to the run
};

struct CHtmlLine
{
    int y = 0, height = 0;
    size_t first = 0, count = 0;   // fragments
};

class CHtmlInlineRun
{
public:
    std::vector<CHtmlNode*> items;  // inline-level children in order
    std::vector<CHtmlFragment> fragments;
    std::vector<CHtmlLine> lines;
    int x = 0, y = 0, height = 0;   // relative to the container's border box
};
