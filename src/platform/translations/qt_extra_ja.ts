<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Japanese for texts of Qt's own dialogs that Qt 6.4's catalogue lacks.
     Read by SourceTextTranslator: a text is matched by its source alone,
     and only where Qt's catalogue has no translation of its own. -->
<TS version="2.1" language="ja_JP">
<context>
    <name>QPrintSettingsOutput</name>
    <message><source>Pages</source><translation>ページ指定</translation></message>
</context>
<context>
    <name>QPrintDialog</name>
    <message><source>Double Sided Printing</source><translation>両面印刷</translation></message>
    <message><source>Long side binding</source><translation>長辺とじ</translation></message>
    <message><source>Short side binding</source><translation>短辺とじ</translation></message>
    <message><source>Advanced</source><translation>詳細</translation></message>
    <message><source>Advanced Option Conflicts</source><translation>詳細設定の矛盾</translation></message>
    <message><source>Duplex Settings Conflicts</source><translation>両面印刷の設定の矛盾</translation></message>
    <message><source>Page Setup Conflicts</source><translation>ページ設定の矛盾</translation></message>
    <message><source>There are conflicts in some options. Please fix them.</source><translation>いくつかのオプションが矛盾しています。直してください。</translation></message>
    <message><source>Please turn one of those options off.</source><translation>どちらかのオプションをオフにしてください。</translation></message>
    <message><source>Invalid Pages Definition</source><translation>ページの指定が正しくありません</translation></message>
    <message><source>File %1 is not writable.</source><translation>ファイル %1 には書き込めません。</translation></message>
    <message><source>Please choose a different file name.</source><translation>別のファイル名を選んでください。</translation></message>
    <message><source>Print Device Input Slot</source><translation>給紙トレイ</translation></message>
    <message><source>Print Device Output Bin</source><translation>排紙トレイ</translation></message>
    <message><source>Banner page at start</source><translation>最初のバナーページ</translation></message>
    <message><source>Banner page at end</source><translation>最後のバナーページ</translation></message>
    <message><source>CUPS Banner page</source><translation>CUPS のバナーページ</translation></message>
    <message><source>Unable to load printer plugin</source><translation>プリンターのプラグインを読み込めません</translation></message>
    <message><source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source><translation>ページまたは範囲をカンマで区切って指定します。範囲はハイフンでつないだ二つの数です。例: 3,5-7,9 は 3、5、6、7、9 ページを印刷します。</translation></message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message><source>Folder</source><translation>フォルダー</translation></message>
    <message><source>Drive</source><translation>ドライブ</translation></message>
    <message><source>File</source><translation>ファイル</translation></message>
    <message><source>%1 File</source><translation>%1 ファイル</translation></message>
</context>
<context>
    <name>QLocale</name>
    <message><source>%1 bytes</source><translation>%1 バイト</translation></message>
</context>
</TS>
