#pragma once
// The kind of unit the operator says is being upgraded. Two products take a different file,
// or a different upgrade class, under different unit types, so the product table reads it.
// The values are the item indexes of the window's unit type group.

enum class UnitType { Terminal, ControllerAB, HostInterface, ControllerCD, Remote };
