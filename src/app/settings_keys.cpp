#include "app/settings_keys.h"

namespace bex::settings {

const SettingKey kPluginFolder = {"設定", "SPIDIR", SettingType::kString, 0, "c:\\"};
const SettingKey kNoSecondLaunch = {"設定", "追加起動禁止", SettingType::kBool, 0, nullptr};
const SettingKey kTopmost = {"設定", "最前面", SettingType::kBool, 0, nullptr};
const SettingKey kSaveBounds = {"設定", "窓位置保存", SettingType::kBool, 1, nullptr};
const SettingKey kFitMode = {"設定", "窓と画像の関係", SettingType::kInt, 0, nullptr};
const SettingKey kSortKind = {"設定", "Sort種類", SettingType::kInt, 1, nullptr};
const SettingKey kSortDirection = {"設定", "Sort向き", SettingType::kInt, 1, nullptr};
const SettingKey kNoMoveDialog = {"設定", "移動ダイアログ省略", SettingType::kInt, 0, nullptr};
const SettingKey kCompanions = {"設定", "関連ファイル連動", SettingType::kInt, 0, nullptr};
const SettingKey kTop = {"窓位置", "Top", SettingType::kInt, 0, nullptr};
const SettingKey kLeft = {"窓位置", "Left", SettingType::kInt, 0, nullptr};
const SettingKey kHeight = {"窓位置", "Height", SettingType::kInt, 141, nullptr};
const SettingKey kWidth = {"窓位置", "Width", SettingType::kInt, 207, nullptr};
const SettingKey kVersion = {"その他", "Ver", SettingType::kString, 0, ""};

}  // namespace bex::settings
