<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CatAddress</name>
    <message>
        <source>No host is given.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An IPv6 address lacks its closing bracket: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Only &quot;:PORT&quot; may follow the bracketed address: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not an IPv6 address between the brackets: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An IPv6 address needs brackets, as in [::1]:4532.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No host is given before the port.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The host name holds a character that no host name has: &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No port is given: write HOST:PORT.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The port must be a number from 1 to 65535, not &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A network port is written tcp://HOST:PORT.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>rigctld is reached over tcp:// only.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAT= holds no usable network address (%1): %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No serial port is configured (CAT=).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CAT= names no serial port: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CommEvents</name>
    <message>
        <source>CTS 時間切れｴﾗｰを検出しました</source>
        <translation>CTS timeout detected</translation>
    </message>
    <message>
        <source>DSR 時間切れｴﾗｰを検出しました</source>
        <translation>DSR timeout detected</translation>
    </message>
    <message>
        <source>ﾃﾞｰﾀ喪失ｴﾗｰが発生しました</source>
        <translation>Received data was lost (overrun)</translation>
    </message>
    <message>
        <source>ｷｬﾘｱ検出時間切れｴﾗｰを検出しました</source>
        <translation>Carrier detect timeout detected</translation>
    </message>
    <message>
        <source>ﾊﾞｯﾌｧｵｰﾊﾞﾌﾛｰｴﾗｰが発生しました</source>
        <translation>Receive buffer overflow</translation>
    </message>
    <message>
        <source>送信ﾊﾞｯﾌｧﾌﾙｴﾗｰが発生しました</source>
        <translation>Transmit buffer full</translation>
    </message>
    <message>
        <source>未知ｴﾗｰが発生しました</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>中断する場合は [ｷｬﾝｾﾙ] を、無視する場合は [OK] をｸﾘｯｸしてください。</source>
        <translation>Click [Cancel] to stop, or [OK] to ignore.</translation>
    </message>
</context>
<context>
    <name>SoundDevices</name>
    <message>
        <source>サウンドは使用しない</source>
        <translation>No sound</translation>
    </message>
</context>
<context>
    <name>TextFile</name>
    <message>
        <source>読み取り専用のディスクです。</source>
        <translation>The disk is read-only.</translation>
    </message>
    <message>
        <source>ディスクの空きが足りません。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>このフォルダーに書き込む許可がありません。</source>
        <translation>There is no permission to write in this folder.</translation>
    </message>
    <message>
        <source>ファイルを書き込めませんでした。</source>
        <translation>The file could not be written.</translation>
    </message>
</context>
<context>
    <name>WindowPosition</name>
    <message>
        <source>最初のセット、ファイルなし&#x3000;</source>
        <translation>First start, no position file </translation>
    </message>
</context>
<context>
    <name>veltrane::aids::DecoderListener</name>
    <message>
        <source>%1 port %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The decoder link address %1 is not an IP address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The decoder link cannot listen on %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The decoder link cannot join the group %1: %2.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>veltrane::app::frmKorvane</name>
    <message>
        <source>再設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>コール取込</source>
        <translation>Import Call</translation>
    </message>
    <message>
        <source>周波数Set</source>
        <translation>Set Freq</translation>
    </message>
    <message>
        <source>リグ周波数コントロール</source>
        <translation>Rig Frequency Control</translation>
    </message>
    <message>
        <source>周波数</source>
        <translation>Freq</translation>
    </message>
    <message>
        <source>基準</source>
        <translation>Ref</translation>
    </message>
    <message>
        <source>Init.cfg is missing or cannot be read in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init.cfg has more than %1 lines.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init.cfg is not a regular file in %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Init.cfg is larger than %1 KiB.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>JT65-HFの受信局のラインを右クリックしてからこのボタンを押してください。</source>
        <translation>Right-click the received station&apos;s line in JT65-HF, then press this button.</translation>
    </message>
    <message>
        <source>%1 からリグの応答がありません。この周波数は古く、クリックと周波数セットは送信しません。</source>
        <translation>No answer from the rig since %1. This frequency is old: clicks and frequency set send nothing.</translation>
    </message>
    <message>
        <source>周波数（%1 からの古い値）</source>
        <translation>Frequency (old value since %1)</translation>
    </message>
</context>
<context>
    <name>veltrane::cat::CatLink</name>
    <message>
        <source>The network port %1 could not be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The serial port %1 does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No permission to open %1: add your user to the dialout group (sudo usermod -aG dialout $USER), then log out and in again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The serial port %1 is in use by another program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The serial port %1 could not be opened: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RIG= is not a number: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RS232C= holds line settings the port cannot take: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ICOM= is not a CI-V address (two hexadecimal digits): %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CONTROL= is not a CI-V address (two hexadecimal digits): %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>veltrane::config::frmInit</name>
    <message>
        <source>初期設定</source>
        <translation>Station Settings</translation>
    </message>
    <message>
        <source>127.0.0.1 when the decoder sends to this computer alone; a multicast group (for example 239.255.0.1) to share it with other programs.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A serial device; tcp://HOST:PORT for a network serial server; HOST or HOST:PORT of rigctld (port 4532 when omitted).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>rigctld is reached over the network: enter HOST or HOST:PORT in the device field.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The decoder link needs an address and a port from 1 to 65535.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>設定を完了しました。再度起動してください。</source>
        <translation>The settings are saved. Please start the program again.</translation>
    </message>
    <message>
        <source>Init.cfg を保存できませんでした。</source>
        <translation>Init.cfg could not be saved.</translation>
    </message>
    <message>
        <source>この作業フォルダーには保存できません: %1。書き込めるフォルダーで起動してください (veltrane --folder DIR、またはデスクトップのメニューから: ~/.config/veltrane)。</source>
        <translation>Settings cannot be saved in this working folder: %1. Start the program in a folder it can write (veltrane --folder DIR, or from the desktop menu: ~/.config/veltrane).</translation>
    </message>
</context>
<context>
    <name>veltrane::config::frmSoundBoard</name>
    <message>
        <source>設定完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>サウンドーボードの選択</source>
        <translation>Select the Sound Card</translation>
    </message>
    <message>
        <source>サウンドデバイス</source>
        <translation>Sound device</translation>
    </message>
</context>
</TS>
