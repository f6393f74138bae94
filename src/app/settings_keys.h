// Every key of the settings file "bex.ini", declared once with its section,
// type and default; reading and writing both go through these declarations.
#pragma once

#include "shared/version.h"

namespace bex {

enum class SettingType { kString, kInt, kBool };

struct SettingKey {
  const char* section;
  const char* key;
  SettingType type;
  int intDefault;           // kInt and kBool; Top and Left are computed at start
  const char* textDefault;  // kString
};

namespace settings {
extern const SettingKey kPluginFolder;    // "設定" "SPIDIR"
extern const SettingKey kNoSecondLaunch;  // "設定" "追加起動禁止"
extern const SettingKey kTopmost;         // "設定" "最前面"
extern const SettingKey kSaveBounds;      // "設定" "窓位置保存"
extern const SettingKey kFitMode;         // "設定" "窓と画像の関係"
extern const SettingKey kSortKind;        // "設定" "Sort種類"
extern const SettingKey kSortDirection;   // "設定" "Sort向き"
extern const SettingKey kNoMoveDialog;    // "設定" "移動ダイアログ省略"
extern const SettingKey kCompanions;      // "設定" "関連ファイル連動"
extern const SettingKey kTop;             // "窓位置" "Top"
extern const SettingKey kLeft;            // "窓位置" "Left"
extern const SettingKey kHeight;          // "窓位置" "Height"
extern const SettingKey kWidth;           // "窓位置" "Width"
extern const SettingKey kVersion;         // "その他" "Ver"
}  // namespace settings

// The version the program writes into "Ver".
constexpr const char* kSettingsVersion = BEX_VERSION_TEXT;

}  // namespace bex
