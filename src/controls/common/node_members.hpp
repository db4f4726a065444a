#pragma once

// A tree node's member names, the same for both toolkits' nodes.

#include "controls/common/dispatch.hpp"

namespace ortiva::controls {

enum class NodeMember {
    none,
    Text,
    Key,
    Index,
    Parent,
    Children,
    Child,
    FirstSibling,
    LastSibling,
    Next,
    Previous,
    Root,
    FullPath,
    Expanded,
    Selected,
    Tag,
};
inline constexpr Member<NodeMember> node_members[] = {
    {"", NodeMember::Text},
    {"Text", NodeMember::Text},
    {"Key", NodeMember::Key},
    {"Index", NodeMember::Index},
    {"Parent", NodeMember::Parent},
    {"Children", NodeMember::Children},
    {"Child", NodeMember::Child},
    {"FirstSibling", NodeMember::FirstSibling},
    {"LastSibling", NodeMember::LastSibling},
    {"Next", NodeMember::Next},
    {"Previous", NodeMember::Previous},
    {"Root", NodeMember::Root},
    {"FullPath", NodeMember::FullPath},
    {"Expanded", NodeMember::Expanded},
    {"Selected", NodeMember::Selected},
    {"Tag", NodeMember::Tag},
};

}  // namespace ortiva::controls
