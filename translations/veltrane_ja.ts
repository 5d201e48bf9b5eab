<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>CatAddress</name>
    <message>
        <source>No host is given.</source>
        <translation>ホストがありません。</translation>
    </message>
    <message>
        <source>An IPv6 address lacks its closing bracket: %1</source>
        <translation>IPv6 アドレスの閉じ括弧がありません: %1</translation>
    </message>
    <message>
        <source>Only &quot;:PORT&quot; may follow the bracketed address: %1</source>
        <translation>括弧で囲んだアドレスの後には &quot;:ポート&quot; だけが書けます: %1</translation>
    </message>
    <message>
        <source>Not an IPv6 address between the brackets: %1</source>
        <translation>括弧の中が IPv6 アドレスではありません: %1</translation>
    </message>
    <message>
        <source>An IPv6 address needs brackets, as in [::1]:4532.</source>
        <translation>IPv6 アドレスは [::1]:4532 のように括弧で囲んでください。</translation>
    </message>
    <message>
        <source>No host is given before the port.</source>
        <translation>ポートの前にホストがありません。</translation>
    </message>
    <message>
        <source>The host name holds a character that no host name has: &quot;%1&quot;.</source>
        <translation>ホスト名に使えない文字があります: &quot;%1&quot;。</translation>
    </message>
    <message>
        <source>No port is given: write HOST:PORT.</source>
        <translation>ポートがありません。ホスト:ポート と書いてください。</translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535, not &quot;%1&quot;.</source>
        <translation>ポートは 1 から 65535 の数です (&quot;%1&quot; ではありません)。</translation>
    </message>
    <message>
        <source>A network port is written tcp://HOST:PORT.</source>
        <translation>ネットワークポートは tcp://ホスト:ポート と書きます。</translation>
    </message>
    <message>
        <source>rigctld is reached over tcp:// only.</source>
        <translation>rigctld には tcp:// でだけ接続できます。</translation>
    </message>
    <message>
        <source>CAT= holds no usable network address (%1): %2</source>
        <translation>CAT= に使えるネットワークアドレスがありません (%1): %2</translation>
    </message>
    <message>
        <source>No serial port is configured (CAT=).</source>
        <translation>シリアルポートが設定されていません (CAT=)。</translation>
    </message>
    <message>
        <source>CAT= names no serial port: %1</source>
        <translation>CAT= はシリアルポートではありません: %1</translation>
    </message>
</context>
<context>
    <name>CommEvents</name>
    <message>
        <source>CTS 時間切れｴﾗｰを検出しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DSR 時間切れｴﾗｰを検出しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ﾃﾞｰﾀ喪失ｴﾗｰが発生しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ｷｬﾘｱ検出時間切れｴﾗｰを検出しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>未知ｴﾗｰが発生しました</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SoundDevices</name>
    <message>
        <source>サウンドは使用しない</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>読み取り専用のディスクです。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ディスクの空きが足りません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>このフォルダーに書き込む許可がありません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ファイルを書き込めませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowPosition</name>
    <message>
        <source>最初のセット、ファイルなし&#x3000;</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>veltrane::aids::DecoderListener</name>
    <message>
        <source>%1 port %2</source>
        <translation>%1 のポート %2</translation>
    </message>
    <message>
        <source>The decoder link address %1 is not an IP address.</source>
        <translation>デコーダー連携のアドレス %1 は IP アドレスではありません。</translation>
    </message>
    <message>
        <source>The decoder link cannot listen on %1: %2.</source>
        <translation>デコーダー連携は %1 で受信できません: %2。</translation>
    </message>
    <message>
        <source>The decoder link cannot join the group %1: %2.</source>
        <translation>デコーダー連携はグループ %1 に参加できません: %2。</translation>
    </message>
</context>
<context>
    <name>veltrane::app::frmKorvane</name>
    <message>
        <source>再設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>コール取込</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周波数Set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>リグ周波数コントロール</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周波数</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>基準</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init.cfg is missing or cannot be read in %1.</source>
        <translation>%1 に Init.cfg がないか、読み取れません。</translation>
    </message>
    <message>
        <source>Init.cfg has more than %1 lines.</source>
        <translation>Init.cfg が %1 行を超えています。</translation>
    </message>
    <message>
        <source>Init.cfg is not a regular file in %1.</source>
        <translation>%1 の Init.cfg は通常のファイルではありません。</translation>
    </message>
    <message>
        <source>Init.cfg is larger than %1 KiB.</source>
        <translation>Init.cfg が %1 KiB を超えています。</translation>
    </message>
    <message>
        <source>JT65-HFの受信局のラインを右クリックしてからこのボタンを押してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 からリグの応答がありません。この周波数は古く、クリックと周波数セットは送信しません。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>周波数（%1 からの古い値）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>veltrane::cat::CatLink</name>
    <message>
        <source>The network port %1 could not be opened: %2</source>
        <translation>ネットワークポート %1 を開けませんでした: %2</translation>
    </message>
    <message>
        <source>The serial port %1 does not exist.</source>
        <translation>シリアルポート %1 がありません。</translation>
    </message>
    <message>
        <source>No permission to open %1: add your user to the dialout group (sudo usermod -aG dialout $USER), then log out and in again.</source>
        <translation>%1 を開く許可がありません。ユーザーを dialout グループに加え (sudo usermod -aG dialout $USER)、ログインし直してください。</translation>
    </message>
    <message>
        <source>The serial port %1 is in use by another program.</source>
        <translation>シリアルポート %1 は他のプログラムが使用中です。</translation>
    </message>
    <message>
        <source>The serial port %1 could not be opened: %2</source>
        <translation>シリアルポート %1 を開けませんでした: %2</translation>
    </message>
    <message>
        <source>RIG= is not a number: %1</source>
        <translation>RIG= が数ではありません: %1</translation>
    </message>
    <message>
        <source>RS232C= holds line settings the port cannot take: %1</source>
        <translation>RS232C= の通信条件はこのポートで使えません: %1</translation>
    </message>
    <message>
        <source>ICOM= is not a CI-V address (two hexadecimal digits): %1</source>
        <translation>ICOM= が CI-V アドレス (16 進 2 桁) ではありません: %1</translation>
    </message>
    <message>
        <source>CONTROL= is not a CI-V address (two hexadecimal digits): %1</source>
        <translation>CONTROL= が CI-V アドレス (16 進 2 桁) ではありません: %1</translation>
    </message>
</context>
<context>
    <name>veltrane::config::frmInit</name>
    <message>
        <source>初期設定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>127.0.0.1 when the decoder sends to this computer alone; a multicast group (for example 239.255.0.1) to share it with other programs.</source>
        <translation>デコーダーがこのコンピューターだけに送るときは 127.0.0.1、他のプログラムと共有するときはマルチキャストグループ (例 239.255.0.1)。</translation>
    </message>
    <message>
        <source>A serial device; tcp://HOST:PORT for a network serial server; HOST or HOST:PORT of rigctld (port 4532 when omitted).</source>
        <translation>シリアルデバイス。ネットワークシリアルサーバーは tcp://ホスト:ポート、rigctld はホストまたはホスト:ポート (省略時はポート 4532)。</translation>
    </message>
    <message>
        <source>rigctld is reached over the network: enter HOST or HOST:PORT in the device field.</source>
        <translation>rigctld にはネットワークで接続します。デバイス欄にホストまたはホスト:ポートを入力してください。</translation>
    </message>
    <message>
        <source>The decoder link needs an address and a port from 1 to 65535.</source>
        <translation>デコーダー連携にはアドレスと 1 から 65535 のポートが必要です。</translation>
    </message>
    <message>
        <source>設定を完了しました。再度起動してください。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init.cfg を保存できませんでした。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>この作業フォルダーには保存できません: %1。書き込めるフォルダーで起動してください (veltrane --folder DIR、またはデスクトップのメニューから: ~/.config/veltrane)。</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>veltrane::config::frmSoundBoard</name>
    <message>
        <source>設定完了</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>中止</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サウンドーボードの選択</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>サウンドデバイス</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
