// What the walks over PC and player folders share.
#pragma once

#include <functional>

#include "framework/core/Text.h"
#include "player/PlayerConnection.h"

// Runs the walk; afterwards the PC's current folder and the player's are what
// they were before, also after a failure. The walk's own failure is the one
// thrown, never one while going back.
void KeepingFolders(PlayerConnection& connection, const std::function<void()>& walk);
// Runs the walk as one batch of changes on the player (BeginUpdate ...
// EndUpdate, which writes a changed playlist). After a failure EndUpdate still
// runs, so that what was stored is listed, and a failure of its own is dropped.
void AsOneUpdate(PlayerConnection& connection, const std::function<void()>& walk);
// Makes the path the PC's current folder; throws CException when it cannot.
void EnterPcFolder(const CText& path);
