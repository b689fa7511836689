<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <location filename="../src/app/AppDelegateTransport.cpp" line="+254"/>
        <source>Playing %1 stopped: %2</source>
        <translation>播放 %1 已停止：%2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Recording %1 stopped: %2</source>
        <translation>录制 %1 已停止：%2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The recording was saved, but %1</source>
        <translation>录音已保存，但 %1</translation>
    </message>
</context>
<context>
    <name>BackgroundMode</name>
    <message>
        <location filename="../src/session/BackgroundMode.cpp" line="+35"/>
        <source>Show the panel</source>
        <translation>显示面板</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Keep running when the window is closed</source>
        <translation>关闭窗口后继续运行</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Start at login</source>
        <translation>登录时启动</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <location line="+68"/>
        <source>%1 — the device does not respond</source>
        <translation>%1 — 设备无响应</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Quorel Panel: %1</source>
        <translation>Quorel 面板：%1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Cannot change %1: %2</source>
        <translation>无法更改%1：%2</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Cannot store the option in %1</source>
        <translation>无法将该选项保存到 %1</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Cannot change &quot;%1&quot;: %2</source>
        <translation>无法更改“%1”：%2</translation>
    </message>
    <message>
        <location line="+20"/>
        <location line="+3"/>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
</context>
<context>
    <name>Button</name>
    <message>
        <location filename="../src/controls/Button.cpp" line="+22"/>
        <source>Reset equaliser</source>
        <translation>重置均衡器</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play</source>
        <translation>播放</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Record</source>
        <translation>录音</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>CheckButton</name>
    <message>
        <location filename="../src/controls/CheckButton.cpp" line="+40"/>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <location filename="../src/session/CommandLine.cpp" line="+33"/>
        <source>%1: %2
Try &apos;%1 --help&apos;.
</source>
        <translation>%1：%2
请运行“%1 --help”查看用法。
</translation>
    </message>
    <message>
        <location line="+5"/>
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
        <location line="+15"/>
        <source>Usage: %1 [options] [key=value ...]</source>
        <translation>用法：%1 [选项] [key=value ...]</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Control panel for the Quorel IIS Audio. Without options it starts the panel
(or brings the running one to the front).

</source>
        <translation>Quorel IIS Audio 控制面板。不带选项时启动面板
（或将正在运行的面板调到前台）。

</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Start in the background, without showing the window.</source>
        <translation>在后台启动，不显示窗口。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Print the running panel&apos;s state, one key=value a line.</source>
        <translation>输出正在运行的面板的状态，每行一个 key=value。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Set each key=value given as an argument (e.g. denoise=on stage3=-4).</source>
        <translation>设置作为参数给出的每个 key=value（例如 denoise=on stage3=-4）。</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Switch monitor, denoise or mixer over (may be repeated).</source>
        <translation>切换 monitor、denoise 或 mixer（可重复）。</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>With --set: the settings to change.</source>
        <translation>与 --set 一起使用：要更改的设置。</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>unexpected argument &quot;%1&quot; (settings go after --set)</source>
        <translation>意外的参数“%1”（设置应写在 --set 之后）</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>--set needs at least one key=value</source>
        <translation>--set 至少需要一个 key=value</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>&quot;%1&quot; is not key=value</source>
        <translation>“%1”不是 key=value 形式</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>unknown key &quot;%1&quot;; the keys are %2</source>
        <translation>未知的键“%1”；可用的键为 %2</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>--toggle takes monitor, denoise or mixer, not &quot;%1&quot;</source>
        <translation>--toggle 只接受 monitor、denoise 或 mixer，而不是“%1”</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>--hidden starts the panel; it does not go with --status, --set or --toggle</source>
        <translation>--hidden 用于启动面板，不能与 --status、--set 或 --toggle 同用</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>cannot read the panel&apos;s state</source>
        <translation>无法读取面板的状态</translation>
    </message>
    <message>
        <location line="+25"/>
        <source>cannot set %1</source>
        <translation>无法设置 %1</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>no session bus to reach the panel over (%1)</source>
        <translation>没有可用于连接面板的会话总线（%1）</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>no panel is running in this session; start it with &apos;%1&apos;</source>
        <translation>本会话中没有正在运行的面板；请用“%1”启动</translation>
    </message>
    <message>
        <location filename="../src/session/PanelState.cpp" line="+121"/>
        <source>%1 is a switch: give on or off, not &quot;%2&quot;</source>
        <translation>%1 是开关：请给出 on 或 off，而不是“%2”</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 需要 %2 到 %3 之间的整数，而不是“%4”</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>%1 takes %2 to %3; %4 is out of range</source>
        <translation>%1 的范围是 %2 到 %3；%4 超出范围</translation>
    </message>
</context>
<context>
    <name>LinkingSheet</name>
    <message>
        <location filename="../resources/ui/LinkingSheet.ui" line="+14"/>
        <source>Linking</source>
        <translation>正在连接</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Linking the Quorel IIS Audio…</source>
        <translation>正在连接 Quorel IIS Audio…</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../resources/ui/MainWindow.ui" line="+6"/>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
    <message>
        <location line="+129"/>
        <location line="+29"/>
        <source>Speaker</source>
        <translation>扬声器</translation>
    </message>
    <message>
        <location line="-13"/>
        <location line="+32"/>
        <source>Mic</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <location line="+81"/>
        <source>Equaliser</source>
        <translation>均衡器</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Reset the equaliser</source>
        <translation>重置均衡器</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Equaliser stage 1</source>
        <translation>均衡器第 1 段</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Equaliser stage 2</source>
        <translation>均衡器第 2 段</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Equaliser stage 3</source>
        <translation>均衡器第 3 段</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Equaliser stage 4</source>
        <translation>均衡器第 4 段</translation>
    </message>
    <message>
        <location line="+38"/>
        <source>Equaliser stage 5</source>
        <translation>均衡器第 5 段</translation>
    </message>
    <message>
        <location line="+65"/>
        <source>Monitor</source>
        <translation>监听</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Denoise</source>
        <translation>降噪</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Reverb</source>
        <translation>混响</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>Mixer</source>
        <translation>混音</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>Mixer on or off</source>
        <translation>混音开或关</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>On / Off</source>
        <translation>开 / 关</translation>
    </message>
    <message>
        <location line="+45"/>
        <source>Play a file</source>
        <translation>播放文件</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Record the microphone</source>
        <translation>录制麦克风</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Pause or resume</source>
        <translation>暂停或继续</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
</context>
<context>
    <name>ProgressIndicator</name>
    <message>
        <location filename="../src/controls/ControlsAccessibility.cpp" line="+142"/>
        <source>Reverb</source>
        <translation>混响</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mixer</source>
        <translation>混音</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <location filename="../src/transport/QtFilePanels.cpp" line="+86"/>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 已存在。
你要替换它吗？</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../src/app/main.cpp" line="+67"/>
        <source>Quorel Panel</source>
        <translation>Quorel 面板</translation>
    </message>
</context>
</TS>
