// The program's own message texts, each written once.
#pragma once

namespace texts {

const char* const ALREADY_RUNNING = "既に起動中です";
const char* const UNEXPECTED_FAILURE = "不明例外が発生しました。";
const char* const CANNOT_SAVE = "ファイルに保存できません。";
const char* const CANNOT_READ = "ファイルを読み込めません。";
const char* const DELETE_ALL_QUESTION = "全てのメモを削除します。\nよろしいですか？";
// A delete question is "タブ [title] " or "メモ [caption] " followed by this.
const char* const DELETE_QUESTION_END = "を削除します。\nよろしいですか？";
const char* const RESTORE_QUESTION = "現在のメモを、選んだ時点のメモで置き換えます。\nよろしいですか？";
const char* const NO_GENERATIONS = "バックアップはありません。";
const char* const RESET_COLORS_QUESTION = "デフォルト設定に戻します。\nよろしいですか？";
// Hot keys that another program holds: "「name」" for each, followed by this.
const char* const HOT_KEYS_TAKEN_END = "のショートカットキーは他のプログラムが使用中のため、登録できません。";

// What a new memo and a new tab start with.
const char* const NEW_MEMO_CAPTION = "新規メモ";
const char* const NEW_TAB_TITLE = "新規タブ";
const char* const NEW_TAB_TEXT = "ダブルクリックで編集";

}  // namespace texts
