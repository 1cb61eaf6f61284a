<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>TConfigForm</name>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>文字（半角）</source>
        <translation>columns</translation>
    </message>
    <message>
        <source>ウィンドウサイズ</source>
        <translation>Window size</translation>
    </message>
    <message>
        <source>簡易エディタ不要</source>
        <translation>Icon mode</translation>
    </message>
    <message>
        <source>１行の文字数を調整</source>
        <translation>Break lines at</translation>
    </message>
    <message>
        <source>最上面に配置</source>
        <translation>Stay on top</translation>
    </message>
    <message>
        <source>ウィンドウサイズ（幅）</source>
        <translation>Window width</translation>
    </message>
    <message>
        <source>ウィンドウサイズ（高さ）</source>
        <translation>Window height</translation>
    </message>
    <message>
        <source>文字数の増減</source>
        <translation>More or fewer columns</translation>
    </message>
    <message>
        <source>幅の増減</source>
        <translation>Wider or narrower</translation>
    </message>
    <message>
        <source>高さの増減</source>
        <translation>Taller or shorter</translation>
    </message>
    <message>
        <source>バージョン情報</source>
        <translation>About</translation>
    </message>
    <message>
        <source>メールの返信に引用符を付ける道具</source>
        <translation>Quotes e-mail for replies</translation>
    </message>
    <message>
        <source>作：Navrik 開発チーム</source>
        <translation>By the Navrik developers</translation>
    </message>
    <message>
        <source>ご利用ありがとうございます。</source>
        <translation>Thank you for using Navrik.</translation>
    </message>
</context>
<context>
    <name>TMainForm</name>
    <message>
        <source>引用符：</source>
        <translation>Mark:</translation>
    </message>
    <message>
        <source>本文</source>
        <translation>Mail text</translation>
    </message>
    <message>
        <source>▽張付</source>
        <translation>▽Paste</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>&gt; 付加</source>
        <translation>&gt; Quote</translation>
    </message>
    <message>
        <source>ドラッグで移動、右クリックでメニュー</source>
        <translation>Drag to move; right-click for the menu</translation>
    </message>
    <message>
        <source>各行の前に付ける引用符</source>
        <translation>The quote mark put before every line</translation>
    </message>
    <message>
        <source>バッファの本文に、編集したまま引用符を付けてコピー（Ctrl+Enter）</source>
        <translation>Quote the text in the buffer as it stands and copy it (Ctrl+Enter)</translation>
    </message>
    <message>
        <source>クリップボードの本文をバッファに貼り付け（Ctrl+Shift+V）</source>
        <translation>Paste the clipboard's text into the buffer (Ctrl+Shift+V)</translation>
    </message>
    <message>
        <source>オプションを設定</source>
        <translation>Open the settings</translation>
    </message>
    <message>
        <source>引用符の付加</source>
        <translation>Quote the clipboard</translation>
    </message>
    <message>
        <source>クリップボードの本文を貼り付け、引用符を付けてクリップボードに戻す</source>
        <translation>Paste the clipboard's text, quote it and put it back on the clipboard, in one step</translation>
    </message>
    <message>
        <source>簡易エディタ不要</source>
        <translation>Icon mode</translation>
    </message>
    <message>
        <source>オプション設定</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>最上面に配置</source>
        <translation>Stay on top</translation>
    </message>
    <message>
        <source>アイコン化</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>追加オプション</source>
        <translation>More options</translation>
    </message>
    <message>
        <source>禁則処理で改行</source>
        <translation>Smart line breaks</translation>
    </message>
    <message>
        <source>段落を再整形</source>
        <translation>Re-flow paragraphs</translation>
    </message>
    <message>
        <source>グローバルホットキー</source>
        <translation>Global shortcut</translation>
    </message>
    <message>
        <source>ログイン時に起動</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>%1。設定を保存しないで終了します</source>
        <translation>%1. Navrik ends without saving the settings</translation>
    </message>
    <message>
        <source>アイコンの上でポインタを止めると、このメニューが開きます。
「引用符の付加」で、クリップボードのメールが引用文になります。</source>
        <translation>This menu opens when the pointer rests on the icon.
“Quote the clipboard” turns the mail on the clipboard into the quoted reply.</translation>
    </message>
</context>
<context>
    <name>navrik</name>
    <message>
        <source>ログイン時の起動を設定できません</source>
        <translation>Cannot set Navrik to start at login</translation>
    </message>
    <message>
        <source>%1 は Navrik が書いたものではないため変更しません</source>
        <translation>%1 was not written by Navrik, so Navrik leaves it as it is</translation>
    </message>
    <message>
        <source>ログイン時の起動を解除できません</source>
        <translation>Cannot stop Navrik starting at login</translation>
    </message>
    <message>
        <source>%1 に書き込めません（%2）</source>
        <translation>Cannot write %1 (%2)</translation>
    </message>
    <message>
        <source>%1 に書き込めません（%2 の値に保存できない文字があります）</source>
        <translation>Cannot write %1 (the value of %2 holds characters the file cannot store)</translation>
    </message>
    <message>
        <source>ほかのプログラムが保存を終えません</source>
        <translation>another program does not finish saving it</translation>
    </message>
    <message>
        <source>ふつうのファイルではありません</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>リンク先がほかのユーザーのファイルです</source>
        <translation>its symbolic link leads to another user's file</translation>
    </message>
    <message>
        <source>1 行が %1 文字を超えるテキストはバッファに入れられません</source>
        <translation>A text with a line longer than %1 characters cannot go into the buffer</translation>
    </message>
    <message>
        <source>読み取り専用のファイルです</source>
        <translation>the file is read-only</translation>
    </message>
</context>
<context>
    <name>navrik::GlobalShortcutPortal</name>
    <message>
        <source>引用符の付加</source>
        <translation>Quote the clipboard</translation>
    </message>
</context>
</TS>
