<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>Playing %1 stopped: %2</source>
        <translation>播放 %1 已停止：%2</translation>
    </message>
    <message>
        <source>Recording %1 stopped: %2</source>
        <translation>录制 %1 已停止：%2</translation>
    </message>
    <message>
        <source>The recording was saved, but %1</source>
        <translation>录音已保存，但 %1</translation>
    </message>
</context>
<context>
    <name>BackgroundMode</name>
    <message>
        <source>Show the panel</source>
        <translation>显示面板</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
    <message>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>Keep running when the window is closed</source>
        <translation>关闭窗口后继续运行</translation>
    </message>
    <message>
        <source>Start at login</source>
        <translation>登录时启动</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>%1 — the device does not respond</source>
        <translation>%1 — 设备无响应</translation>
    </message>
    <message>
        <source>Quorel Panel: %1</source>
        <translation>Quorel 面板：%1</translation>
    </message>
    <message>
        <source>Cannot change %1: %2</source>
        <translation>无法更改%1：%2</translation>
    </message>
    <message>
        <source>Cannot store the option in %1</source>
        <translation>无法将该选项保存到 %1</translation>
    </message>
    <message>
        <source>Cannot change &quot;%1&quot;: %2</source>
        <translation>无法更改“%1”：%2</translation>
    </message>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
</context>
<context>
    <name>Button</name>
    <message>
        <source>Reset equaliser</source>
        <translation>重置均衡器</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录音</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>CheckButton</name>
    <message>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1：%2
请运行“%1 --help”查看用法。
</translation>
    </message>
    <message>
        <source>Keys: speaker, mic (0 to 100), stage1 .. stage5 (-15 to 15), reverb (0 to 100),
monitor, denoise, mixer (on or off).

--status, --set and --toggle talk to the panel running in this session and
exit with 0 on success, 1 when the panel answered with an error, 2 for a
wrong key or value, 3 when no panel runs, 4 when the device is not linked
(--status prints the state either way and exits 0 only when linked).</source>
        <translation>键：speaker、mic（0 到 100），stage1 .. stage5（-15 到 15），reverb（0 到 100），
monitor、denoise、mixer（on 或 off）。

--status、--set 和 --toggle 与本会话中正在运行的面板通信，
退出码：0 成功，1 面板返回错误，2 键或值有误，
3 没有正在运行的面板，4 设备未连接
（--status 总会输出状态，仅在已连接时以 0 退出）。</translation>
    </message>
    <message>
        <source>Usage: %1 [options] [key=value ...]</source>
        <translation>用法：%1 [选项] [key=value ...]</translation>
    </message>
    <message>
        <source>Control panel for the Quorel IIS Audio. Without options it starts the panel
(or brings the running one to the front).

</source>
        <translation>Quorel IIS Audio 控制面板。不带选项时启动面板
（或将正在运行的面板调到前台）。

</translation>
    </message>
    <message>
        <source>Start in the background, without showing the window.</source>
        <translation>在后台启动，不显示窗口。</translation>
    </message>
    <message>
        <source>Print the running panel&apos;s state, one key=value a line.</source>
        <translation>输出正在运行的面板的状态，每行一个 key=value。</translation>
    </message>
    <message>
        <source>Set each key=value given as an argument (e.g. denoise=on stage3=-4).</source>
        <translation>设置作为参数给出的每个 key=value（例如 denoise=on stage3=-4）。</translation>
    </message>
    <message>
        <source>Switch monitor, denoise or mixer over (may be repeated).</source>
        <translation>切换 monitor、denoise 或 mixer（可重复）。</translation>
    </message>
    <message>
        <source>With --set: the settings to change.</source>
        <translation>与 --set 一起使用：要更改的设置。</translation>
    </message>
    <message>
        <source>unexpected argument &quot;%1&quot; (settings go after --set)</source>
        <translation>意外的参数“%1”（设置应写在 --set 之后）</translation>
    </message>
    <message>
        <source>--set needs at least one key=value</source>
        <translation>--set 至少需要一个 key=value</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not key=value</source>
        <translation>“%1”不是 key=value 形式</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;; the keys are %2</source>
        <translation>未知的键“%1”；可用的键为 %2</translation>
    </message>
    <message>
        <source>--toggle takes monitor, denoise or mixer, not &quot;%1&quot;</source>
        <translation>--toggle 只接受 monitor、denoise 或 mixer，而不是“%1”</translation>
    </message>
    <message>
        <source>--hidden starts the panel; it does not go with --status, --set or --toggle</source>
        <translation>--hidden 用于启动面板，不能与 --status、--set 或 --toggle 同用</translation>
    </message>
    <message>
        <source>cannot read the panel&apos;s state</source>
        <translation>无法读取面板的状态</translation>
    </message>
    <message>
        <source>cannot set %1</source>
        <translation>无法设置 %1</translation>
    </message>
    <message>
        <source>no session bus to reach the panel over (%1)</source>
        <translation>没有可用于连接面板的会话总线（%1）</translation>
    </message>
    <message>
        <source>no panel is running in this session; start it with &apos;%1&apos;</source>
        <translation>本会话中没有正在运行的面板；请用“%1”启动</translation>
    </message>
    <message>
        <source>%1 is a switch: give on or off, not &quot;%2&quot;</source>
        <translation>%1 是开关：请给出 on 或 off，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 需要 %2 到 %3 之间的整数，而不是“%4”</translation>
    </message>
    <message>
        <source>%1 takes %2 to %3; %4 is out of range</source>
        <translation>%1 的范围是 %2 到 %3；%4 超出范围</translation>
    </message>
</context>
<context>
    <name>LinkingSheet</name>
    <message>
        <source>Linking</source>
        <translation>正在连接</translation>
    </message>
    <message>
        <source>Linking the Quorel IIS Audio…</source>
        <translation>正在连接 Quorel IIS Audio…</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
    <message>
        <source>Speaker</source>
        <translation>扬声器</translation>
    </message>
    <message>
        <source>Mic</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>Equaliser</source>
        <translation>均衡器</translation>
    </message>
    <message>
        <source>Reset the equaliser</source>
        <translation>重置均衡器</translation>
    </message>
    <message>
        <source>Equaliser stage 1</source>
        <translation>均衡器第 1 段</translation>
    </message>
    <message>
        <source>Equaliser stage 2</source>
        <translation>均衡器第 2 段</translation>
    </message>
    <message>
        <source>Equaliser stage 3</source>
        <translation>均衡器第 3 段</translation>
    </message>
    <message>
        <source>Equaliser stage 4</source>
        <translation>均衡器第 4 段</translation>
    </message>
    <message>
        <source>Equaliser stage 5</source>
        <translation>均衡器第 5 段</translation>
    </message>
    <message>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
    <message>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <source>Reverb</source>
        <translation>混响</translation>
    </message>
    <message>
        <source>Mixer</source>
        <translation>混音</translation>
    </message>
    <message>
        <source>Mixer on or off</source>
        <translation>混音开或关</translation>
    </message>
    <message>
        <source>On / Off</source>
        <translation>开 / 关</translation>
    </message>
    <message>
        <source>Play a file</source>
        <translation>播放文件</translation>
    </message>
    <message>
        <source>Record the microphone</source>
        <translation>录制麦克风</translation>
    </message>
    <message>
        <source>Pause or resume</source>
        <translation>暂停或继续</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>ProgressIndicator</name>
    <message>
        <source>Reverb</source>
        <translation>混响</translation>
    </message>
    <message>
        <source>Mixer</source>
        <translation>混音</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
你要替换它吗？</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
</context>
</TS>
