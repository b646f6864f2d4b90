// The program's own message texts, each written once.
#pragma once

namespace texts {

const char* const ALREADY_RUNNING = "既に起動中です";
const char* const UNEXPECTED_FAILURE = "不明例外が発生しました。";
const char* const CANNOT_SAVE = "ファイルに保存できません。";
const char* const CANNOT_READ = "ファイルを読み込めません。";
// Why a save failed: the second line of CANNOT_SAVE's box and of the tray icon's tip.
const char* const SAVE_READ_ONLY = "ファイルが読み取り専用です。";
const char* const SAVE_HELD = "ファイルがほかのプログラムに\n使用されています。";
const char* const SAVE_DISK_FULL = "ディスクの空き領域が足りません。";
const char* const SAVE_NO_ACCESS = "ファイルかフォルダーが\n変更できない設定です。";
const char* const SAVE_FOLDER_MISSING = "保存先のフォルダーがありません\n(削除、名前の変更、切断)。";
const char* const SAVE_OTHER = "書き込み中にエラーが発生しました。";
const char* const SAVE_OTHER_VERSION_NOT_KEPT = "ほかのプログラムが変更した内容を\nバックアップに残せません。";
// The tray icon's tip while the last save failed, above the reason and the folder.
const char* const NOTES_NOT_SAVED = "メモが保存されていません";
// Another program's version of the data file was kept before a save: this,
// the time of that backup as the restore list shows it, then the end.
const char* const OTHER_VERSION_KEPT_START =
    "ほかのプログラムがメモのファイルを\n変更していました。\nその内容はバックアップ\n「";
const char* const OTHER_VERSION_KEPT_END =
    "」として残し、\nこのメモを保存しました。\n「バックアップから復元」の一覧から\n開けます。";
// "終了(&X)" while the data file cannot be written: CANNOT_SAVE and why, then
// this, the folder of the rescue file, and the end.
const char* const RESCUE_QUESTION_START =
    "\n\nメモのファイルはそのままにして、\nメモを救出ファイルとして\n次のフォルダーに保存し、終了しますか？\n";
const char* const RESCUE_QUESTION_END = "\n\n「いいえ」を選ぶと終了せずに続けます。";
const char* const RESCUE_FAILED = "救出ファイルも保存できないため、\n終了しません。";
// At the start after an end that kept the notes in rescue files: this, their paths, the end.
const char* const RESCUED_START = "前回の終了時にメモのファイルに\n保存できなかったメモを、\n次の救出ファイルに保存しました。\n";
const char* const RESCUED_END = "\n「バックアップから復元」の一覧から\n開けます。";
// Names the other PC in the caption of its version of a memo that both PCs changed.
const wchar_t* const OTHER_PC = L"別のPC";
// The tray's balloon after such a merge: the title, then the text before the captions.
const wchar_t* const BOTH_CHANGED_TITLE = L"同じメモがほかのPCでも変更されていました";
const wchar_t* const BOTH_CHANGED = L"両方の内容を残しました。ほかのPCの内容は次のメモにあります:";
const char* const CANNOT_KEEP_CURRENT = "現在のメモをバックアップに残せないため、\n置き換えませんでした。";
const char* const DELETE_ALL_QUESTION = "全てのメモを削除します。\nよろしいですか？";
// A delete question is "タブ [title] " or "メモ [caption] " followed by this.
const char* const DELETE_QUESTION_END = "を削除します。\nよろしいですか？";
const char* const RESTORE_QUESTION = "現在のメモを、選んだ時点のメモで\n置き換えます。\nよろしいですか？";
const char* const NO_GENERATIONS = "バックアップはありません。";
const char* const RESET_COLORS_QUESTION = "デフォルト設定に戻します。\nよろしいですか？";
// Hot keys that another program holds: "「name」" for each, followed by this.
const char* const HOT_KEYS_TAKEN_END = "のショートカットキーは\n他のプログラムが使用中のため、\n登録できません。";
// The find window's count: matches, then memos; and how many it lists when not all.
const char* const FIND_COUNT = "%u 件 (%u 個のメモ)";
const char* const FIND_COUNT_LISTED = "、先頭の %u 件を表示";
const char* const FIND_NOTHING = "見つかりません";
// F3 went past the listed lines: which match of them all is shown.
const char* const FIND_COUNT_AT = "、%u 件目を表示中";
// The count line when nothing is typed: the memos with a reminder are listed.
const char* const FIND_REMINDERS = "アラームのあるメモ %u 個 (近い順)";
// The headings of the find window's columns.
const char* const FIND_HEADINGS[] = {"メモ", "タブ", "行"};

// The Run key's value that starts the program at logon, and the note of the
// options when it names another copy of the program, above that copy's path.
const wchar_t* const RUN_ENTRY_NAME = L"Quillpad";
const wchar_t* const STARTS_OTHER_COPY = L"別の場所のクイルパッドが登録されています:\n";
const char* const CANNOT_SET_START = "「Windows の起動時に開始する」を設定できません。";
// A reminder's balloon: its title for one memo, or for several with their
// number, above a line for each, "caption: first line"; "予定" and the time
// for one that came due while nothing watched.
const wchar_t* const REMINDER_TITLE = L"アラーム";
const wchar_t* const REMINDERS_TITLE = L"アラーム %u 件";
const wchar_t* const REMINDER_LATE = L"(遅れ) 予定 ";
// The tray icon's tip names the next reminder on its second line.
const wchar_t* const NEXT_REMINDER = L"次のアラーム: ";
// The sound of the system's reminder event.
const wchar_t* const REMINDER_SOUND = L"Notification.Reminder";
// The reminder dialog's repeats, in the order of Repeat.
const wchar_t* const REPEAT_NAMES[] = {L"なし", L"毎日", L"平日 (月～金)", L"毎週", L"毎月"};

// What a new memo and a new tab start with, held as every memo text is (Unicode).
const wchar_t* const NEW_MEMO_CAPTION = L"新規メモ";
const wchar_t* const NEW_TAB_TITLE = L"新規タブ";
const wchar_t* const NEW_TAB_TEXT = L"ダブルクリックで編集";

}  // namespace texts
