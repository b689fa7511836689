<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>Autostart</name>
    <message>
        <source>cannot make the folder %1</source>
        <translation>无法创建文件夹 %1</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>cannot remove %1: %2</source>
        <translation>无法删除 %1：%2</translation>
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
    <message>
        <source>Presets</source>
        <translation>预设</translation>
    </message>
    <message>
        <source>Diagnostics…</source>
        <translation>诊断…</translation>
    </message>
    <message>
        <source>Cannot apply the preset &quot;%1&quot;: %2</source>
        <translation>无法应用预设“%1”：%2</translation>
    </message>
    <message>
        <source>%1 (modified)</source>
        <translation>%1（已修改）</translation>
    </message>
    <message>
        <source>%1 — the sound server does not answer</source>
        <translation>%1 — 声音服务器没有响应</translation>
    </message>
    <message>
        <source>%1 cannot be read (%2), so the background options are off; the panel leaves the file as it is.</source>
        <translation>无法读取 %1（%2），因此后台选项已关闭；面板不会改动该文件。</translation>
    </message>
    <message>
        <source>%1 is not a regular file, so the background options are off; the panel leaves it as it is. Move it aside to change them.</source>
        <translation>%1 不是普通文件，因此后台选项已关闭；面板不会改动它。请将其移走后再更改选项。</translation>
    </message>
    <message>
        <source>%1 is far larger than options take, so the background options are off; the panel leaves it as it is. Move it aside to change them.</source>
        <translation>%1 远大于选项应有的大小，因此后台选项已关闭；面板不会改动它。请将其移走后再更改选项。</translation>
    </message>
    <message>
        <source>%1 is damaged, so the background options are off; changing one writes the file afresh.</source>
        <translation>%1 已损坏，因此后台选项已关闭；更改任一选项时会重新写入该文件。</translation>
    </message>
    <message>
        <source>Check microphone</source>
        <translation>检查麦克风</translation>
    </message>
    <message>
        <source>Scenes…</source>
        <translation>场景…</translation>
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
    <message>
        <source>Check the set-up (device, udev rule, sound server, GStreamer, settings, session), one line a check; exit 0 when none fails, else 1.</source>
        <translation>检查配置（设备、udev 规则、声音服务器、GStreamer、设置、会话），每项检查一行；全部通过时以 0 退出，否则以 1 退出。</translation>
    </message>
    <message>
        <source>With --doctor: print the report as JSON.</source>
        <translation>与 --doctor 一起使用：以 JSON 格式输出报告。</translation>
    </message>
    <message>
        <source>List the presets, one a line, the active one marked with *.</source>
        <translation>列出预设，每行一个，当前预设以 * 标记。</translation>
    </message>
    <message>
        <source>Apply the preset &lt;name&gt;.</source>
        <translation>应用预设 &lt;name&gt;。</translation>
    </message>
    <message>
        <source>Save the current sound as the preset &lt;name&gt;.</source>
        <translation>将当前声音保存为预设 &lt;name&gt;。</translation>
    </message>
    <message>
        <source>--json goes with --doctor</source>
        <translation>--json 需与 --doctor 一起使用</translation>
    </message>
    <message>
        <source>--doctor goes with --json only</source>
        <translation>--doctor 只能与 --json 一起使用</translation>
    </message>
    <message>
        <source>--save-preset needs a name</source>
        <translation>--save-preset 需要一个名称</translation>
    </message>
    <message>
        <source>cannot apply the preset &quot;%1&quot;</source>
        <translation>无法应用预设“%1”</translation>
    </message>
    <message>
        <source>cannot save the preset &quot;%1&quot;</source>
        <translation>无法保存预设“%1”</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>面板的预设尚不可用</translation>
    </message>
    <message>
        <source>Keys: speaker, mic (0 to 100), stage1 .. stage5 (-15 to 15), reverb (0 to 100),
monitor, denoise, mixer (on or off).

--status, --set, --toggle and the preset and scene options talk to the panel
running in this session and exit with 0 on success, 1 when the panel answered
with an error, 2 for a wrong key, value, preset or scene, 3 when no panel runs, 4 when
the device is not linked (--status prints the state either way and exits 0
only when linked).</source>
        <translation>键：speaker、mic（0 到 100）、stage1 .. stage5（-15 到 15）、reverb（0 到 100）、
monitor、denoise、mixer（on 或 off）。

--status、--set、--toggle 以及预设和场景选项与本会话中正在运行的面板通信，
退出码：0 成功，1 面板返回错误，2 键、值、预设或场景有误，
3 没有正在运行的面板，4 设备未连接
（--status 总会输出状态，仅在已连接时以 0 退出）。</translation>
    </message>
    <message>
        <source>List the scenes, application=preset one a line, the one in force marked with *.</source>
        <translation>列出场景，每行一个“应用=预设”，正在生效的以 * 标记。</translation>
    </message>
    <message>
        <source>While &lt;application&gt; records from the device, apply &lt;preset&gt;.</source>
        <translation>当 &lt;application&gt; 从设备录音时，应用 &lt;preset&gt;。</translation>
    </message>
    <message>
        <source>Remove the scene of &lt;application&gt;.</source>
        <translation>移除 &lt;application&gt; 的场景。</translation>
    </message>
    <message>
        <source>--add-scene takes application=preset, not &quot;%1&quot;</source>
        <translation>--add-scene 需要“应用=预设”，而不是“%1”</translation>
    </message>
    <message>
        <source>--hidden starts the panel; it does not go with --status, --set, --toggle or the preset and scene options</source>
        <translation>--hidden 用于启动面板；不能与 --status、--set、--toggle 或预设和场景选项一起使用</translation>
    </message>
    <message>
        <source>cannot add the scene for &quot;%1&quot;</source>
        <translation>无法添加“%1”的场景</translation>
    </message>
    <message>
        <source>cannot remove the scene for &quot;%1&quot;</source>
        <translation>无法移除“%1”的场景</translation>
    </message>
    <message>
        <source>cannot read the scenes</source>
        <translation>无法读取场景</translation>
    </message>
</context>
<context>
    <name>DesktopNotices</name>
    <message>
        <source>Scene started</source>
        <translation>场景已开始</translation>
    </message>
    <message>
        <source>%1 started a scene with the preset &quot;%2&quot;.</source>
        <translation>%1 以预设“%2”开始了一个场景。</translation>
    </message>
    <message>
        <source>Device linked</source>
        <translation>设备已连接</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio is linked and is the system&apos;s sound device.</source>
        <translation>Quorel IIS Audio 已连接，并已成为系统的音频设备。</translation>
    </message>
    <message>
        <source>Device unlinked</source>
        <translation>设备已断开</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio is no longer linked.</source>
        <translation>Quorel IIS Audio 已不再连接。</translation>
    </message>
    <message>
        <source>Device not answering</source>
        <translation>设备无响应</translation>
    </message>
    <message>
        <source>The Quorel IIS Audio does not respond.</source>
        <translation>Quorel IIS Audio 没有响应。</translation>
    </message>
    <message>
        <source>Sound server not answering</source>
        <translation>音频服务器无响应</translation>
    </message>
    <message>
        <source>The sound server does not answer; the panel links the device again once it does.</source>
        <translation>音频服务器没有响应；一旦它恢复响应，面板会重新连接设备。</translation>
    </message>
</context>
<context>
    <name>DeviceAccess</name>
    <message>
        <source>The udev rule %1 is installed but not yet applied to this device: plug the device in again, or run %2.</source>
        <translation>udev 规则 %1 已安装，但尚未应用到此设备：请重新插入设备，或运行 %2。</translation>
    </message>
    <message>
        <source>The package&apos;s udev rule %1 is missing: run &apos;sudo apt-get install --reinstall quorel-panel&apos;, which puts it back and applies it.</source>
        <translation>软件包的 udev 规则 %1 缺失：请运行“sudo apt-get install --reinstall quorel-panel”，它会恢复并应用该规则。</translation>
    </message>
    <message>
        <source>Access for the logged-in user comes from the udev rule %1. Copy udev/%1 from the source tree to /etc/udev/rules.d/, then run %2.</source>
        <translation>已登录用户的访问权限来自 udev 规则 %1。请将源代码树中的 udev/%1 复制到 /etc/udev/rules.d/，然后运行 %2。</translation>
    </message>
</context>
<context>
    <name>DeviceChecks</name>
    <message>
        <source>cannot read the hidraw devices from udev</source>
        <translation>无法从 udev 读取 hidraw 设备</translation>
    </message>
    <message>
        <source>Quorel IIS Audio on USB</source>
        <translation>USB 上的 Quorel IIS Audio</translation>
    </message>
    <message>
        <source>HID node</source>
        <translation>HID 设备节点</translation>
    </message>
    <message>
        <source>udev rule installed</source>
        <translation>udev 规则已安装</translation>
    </message>
    <message>
        <source>udev rule applied (HID node writable)</source>
        <translation>udev 规则已生效（HID 设备节点可写）</translation>
    </message>
    <message>
        <source>Check that /sys is mounted and systemd-udevd runs.</source>
        <translation>请检查 /sys 是否已挂载以及 systemd-udevd 是否在运行。</translation>
    </message>
    <message>
        <source>no USB HID device with the ids 0a12:1243 is attached</source>
        <translation>未连接 ID 为 0a12:1243 的 USB HID 设备</translation>
    </message>
    <message>
        <source>Plug the device in (directly, or through a powered hub) and check that &apos;lsusb&apos; lists 0a12:1243.</source>
        <translation>请插入设备（直接插入，或通过带电源的集线器），并检查“lsusb”是否列出 0a12:1243。</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>无设备</translation>
    </message>
    <message>
        <source>the device&apos;s HID interface has no hidraw node</source>
        <translation>设备的 HID 接口没有 hidraw 设备节点</translation>
    </message>
    <message>
        <source>Load the kernel&apos;s hidraw support (&apos;sudo modprobe hidraw&apos;) and plug the device in again.</source>
        <translation>请加载内核的 hidraw 支持（“sudo modprobe hidraw”），然后重新插入设备。</translation>
    </message>
    <message>
        <source>%1 is in none of udev&apos;s folders (%2)</source>
        <translation>%1 不在 udev 的任何文件夹中（%2）</translation>
    </message>
    <message>
        <source>no HID node</source>
        <translation>无 HID 设备节点</translation>
    </message>
    <message>
        <source>this user may write to %1</source>
        <translation>当前用户可以写入 %1</translation>
    </message>
    <message>
        <source>this user may not write to %1 (%2)</source>
        <translation>当前用户不能写入 %1（%2）</translation>
    </message>
    <message>
        <source>%1 cannot be opened (%2)</source>
        <translation>无法打开 %1（%2）</translation>
    </message>
    <message>
        <source>Plug the device in again; if that does not help, try another USB port.</source>
        <translation>请重新插入设备；如果无效，请换一个 USB 端口。</translation>
    </message>
    <message>
        <source>%1 is in none of udev&apos;s folders (%2): this user may write to %3 now, but access given outside the rule can be gone after the device is plugged in again or the computer restarts, and other accounts may not have it</source>
        <translation>%1 不在 udev 的任何文件夹中（%2）：此用户现在可以写入 %3，但并非来自该规则的访问权限可能在重新插入设备或重启电脑后失效，其他账户也可能没有该权限</translation>
    </message>
</context>
<context>
    <name>DeviceLink</name>
    <message>
        <source>The device was found, but linking stopped: %1. Plug it in again to retry; if it keeps stopping, see the troubleshooting in the README.</source>
        <translation>已找到设备，但连接中止：%1。请重新插入设备再试；如果仍然中止，请参阅 README 中的故障排除。</translation>
    </message>
    <message>
        <source>The sound server restarted without the Quorel IIS Audio, so sound goes to another device until it is back. If it does not come back, plug the device in again.</source>
        <translation>声音服务器重启后没有 Quorel IIS Audio，因此在它恢复之前声音会输出到其他设备。如果它没有恢复，请重新插入设备。</translation>
    </message>
    <message>
        <source>The sound server restarted and did not make the Quorel IIS Audio its default output and input, so sound goes to another device. Plug the device in again, or choose it in the system&apos;s sound settings.</source>
        <translation>声音服务器已重启，但没有把 Quorel IIS Audio 设为默认输出和输入，因此声音会输出到其他设备。请重新插入设备，或在系统的声音设置中选择它。</translation>
    </message>
</context>
<context>
    <name>DiagnosticsDialog</name>
    <message>
        <source>Diagnostics</source>
        <translation>诊断</translation>
    </message>
    <message>
        <source>checking…</source>
        <translation>正在检查…</translation>
    </message>
    <message>
        <source>Copy report</source>
        <translation>复制报告</translation>
    </message>
    <message>
        <source>Every check passed.</source>
        <translation>所有检查均已通过。</translation>
    </message>
    <message>
        <source>Something is wrong; each failed check says what to do.</source>
        <translation>有问题；每项未通过的检查都说明了解决办法。</translation>
    </message>
</context>
<context>
    <name>DoctorReport</name>
    <message>
        <source>All checks passed.
</source>
        <translation>所有检查均已通过。
</translation>
    </message>
    <message>
        <source>%1 of %2 checks failed.
</source>
        <translation>%2 项检查中有 %1 项未通过。
</translation>
    </message>
    <message>
        <source>%1%2: %3. %4
</source>
        <translation>%1%2：%3。%4
</translation>
    </message>
    <message>
        <source>%1%2: %3
</source>
        <translation>%1%2：%3
</translation>
    </message>
</context>
<context>
    <name>GStreamerChecks</name>
    <message>
        <source>GStreamer element %1 (%2)</source>
        <translation>GStreamer 元素 %1（%2）</translation>
    </message>
    <message>
        <source>GStreamer has no element %1</source>
        <translation>GStreamer 没有元素 %1</translation>
    </message>
    <message>
        <source>Install it with &apos;sudo apt-get install %1&apos;.</source>
        <translation>请使用“sudo apt-get install %1”安装。</translation>
    </message>
    <message>
        <source>records from the sound server</source>
        <translation>从声音服务器录音</translation>
    </message>
    <message>
        <source>encodes recordings as AAC</source>
        <translation>将录音编码为 AAC</translation>
    </message>
    <message>
        <source>frames the AAC recordings</source>
        <translation>为 AAC 录音分帧</translation>
    </message>
    <message>
        <source>plays files back</source>
        <translation>播放文件</translation>
    </message>
</context>
<context>
    <name>LinkStatusView</name>
    <message>
        <source>The Quorel IIS Audio is plugged in, but the sound server does not answer; the panel waits for it and links the device&apos;s sound as soon as it answers.</source>
        <translation>Quorel IIS Audio 已插入，但声音服务器没有响应；面板正在等待，服务器一响应就连接设备的声音。</translation>
    </message>
    <message>
        <source>The sound server is gone or does not answer, so the sliders do nothing and sound may not reach the Quorel IIS Audio. The panel restores the device&apos;s sound as soon as the server answers again.</source>
        <translation>声音服务器已断开或没有响应，因此滑块不起作用，声音可能无法到达 Quorel IIS Audio。服务器重新响应后，面板会立即恢复设备的声音。</translation>
    </message>
    <message>
        <source>The sound server did not take the Speaker volume, so what you hear may differ from the slider. Move the slider again, or check the system&apos;s sound settings.</source>
        <translation>声音服务器未接受扬声器音量，您听到的音量可能与滑块不符。请再次移动滑块，或检查系统的声音设置。</translation>
    </message>
    <message>
        <source>The sound server did not take the Mic gain, so the microphone may be louder or quieter than the slider says. Move the slider again, or check the system&apos;s sound settings.</source>
        <translation>声音服务器未接受麦克风增益，麦克风可能比滑块所示更响或更轻。请再次移动滑块，或检查系统的声音设置。</translation>
    </message>
    <message>
        <source>Your settings could not be saved to %1; check that folder&apos;s permissions and free space.</source>
        <translation>无法将您的设置保存到 %1；请检查该文件夹的权限和剩余空间。</translation>
    </message>
    <message>
        <source>Your settings file %1 cannot be read (it is not a regular file, or far too large), so the panel started from its defaults and saves nothing over it. Move it away to have your settings saved again.</source>
        <translation>无法读取您的设置文件 %1（它不是普通文件，或者过大），因此面板以默认设置启动，且不会覆盖该文件。将其移走后，您的设置将重新得到保存。</translation>
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
    <message>
        <source>Preset</source>
        <translation>预设</translation>
    </message>
</context>
<context>
    <name>MessageBand</name>
    <message>
        <source>Dismiss the message</source>
        <translation>关闭此消息</translation>
    </message>
    <message>
        <source>Dismiss</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>MicCheck</name>
    <message>
        <source>The microphone check stopped: the device was unlinked.</source>
        <translation>麦克风检查已停止：设备已断开。</translation>
    </message>
    <message>
        <source>Cannot check the microphone: the device is not linked.</source>
        <translation>无法检查麦克风：设备未连接。</translation>
    </message>
    <message>
        <source>Cannot check the microphone while a recording or playback runs.</source>
        <translation>录音或播放进行时无法检查麦克风。</translation>
    </message>
    <message>
        <source>Cannot check the microphone: the sound server does not answer.</source>
        <translation>无法检查麦克风：音频服务器没有响应。</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server does not answer.</source>
        <translation>麦克风检查已停止：音频服务器没有响应。</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server refused the recording (%1).</source>
        <translation>麦克风检查已停止：音频服务器拒绝了录音（%1）。</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server refused the playback (%1).</source>
        <translation>麦克风检查已停止：音频服务器拒绝了播放（%1）。</translation>
    </message>
    <message>
        <source>The microphone check stopped: the sound server went away.</source>
        <translation>麦克风检查已停止：音频服务器已断开。</translation>
    </message>
</context>
<context>
    <name>MicCheckView</name>
    <message>
        <source>Microphone level</source>
        <translation>麦克风电平</translation>
    </message>
    <message>
        <source>Microphone check</source>
        <translation>麦克风检查</translation>
    </message>
    <message numerus="yes">
        <source>Recording, speak now: %n s left</source>
        <translation>
            <numerusform>正在录音，请说话：还剩 %n 秒</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Playing back what was recorded: %n s left</source>
        <translation>
            <numerusform>正在回放录音：还剩 %n 秒</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelRemote</name>
    <message>
        <source>the device is not linked</source>
        <translation>设备未连接</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>面板的预设尚不可用</translation>
    </message>
</context>
<context>
    <name>PanelService</name>
    <message>
        <source>the panel is still starting</source>
        <translation>面板仍在启动</translation>
    </message>
    <message>
        <source>the stages are 1 to 5; %1 is out of range</source>
        <translation>频段为 1 到 5；%1 超出范围</translation>
    </message>
    <message>
        <source>the panel&apos;s presets are not available yet</source>
        <translation>面板的预设尚不可用</translation>
    </message>
    <message>
        <source>there is no preset &quot;%1&quot;; the presets are %2</source>
        <translation>没有预设“%1”；现有预设为 %2</translation>
    </message>
    <message>
        <source>the panel has no action &quot;%1&quot;</source>
        <translation>面板没有操作“%1”</translation>
    </message>
    <message>
        <source>the panel&apos;s scenes are not available yet</source>
        <translation>面板的场景尚不可用</translation>
    </message>
</context>
<context>
    <name>PanelSoundTarget</name>
    <message>
        <source>the panel has no settings to change</source>
        <translation>面板没有可更改的设置</translation>
    </message>
</context>
<context>
    <name>PresetController</name>
    <message>
        <source>there is no preset &quot;%1&quot;</source>
        <translation>没有预设“%1”</translation>
    </message>
    <message>
        <source>there is nothing to undo</source>
        <translation>没有可撤销的操作</translation>
    </message>
    <message>
        <source>there is nothing to redo</source>
        <translation>没有可重做的操作</translation>
    </message>
</context>
<context>
    <name>PresetFile</name>
    <message>
        <source>it is not a regular file</source>
        <translation>它不是普通文件</translation>
    </message>
    <message>
        <source>it is %1 bytes, larger than %2 KiB</source>
        <translation>它有 %1 字节，超过 %2 KiB</translation>
    </message>
    <message>
        <source>it is larger than %1 KiB</source>
        <translation>它超过 %1 KiB</translation>
    </message>
    <message>
        <source>cannot create %1</source>
        <translation>无法创建 %1</translation>
    </message>
</context>
<context>
    <name>PresetFormat</name>
    <message>
        <source>%1 takes on or off, not &quot;%2&quot;</source>
        <translation>%1 只接受 on 或 off，而不是“%2”</translation>
    </message>
    <message>
        <source>%1 takes a whole number from %2 to %3, not &quot;%4&quot;</source>
        <translation>%1 只接受 %2 到 %3 的整数，而不是“%4”</translation>
    </message>
    <message>
        <source>%1 is %2, out of its range %3 to %4</source>
        <translation>%1 为 %2，超出范围 %3 到 %4</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 被指定了两次</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>未知的键“%1”</translation>
    </message>
    <message>
        <source>%1 is missing</source>
        <translation>缺少 %1</translation>
    </message>
    <message>
        <source>it is not %1 (wrong type: the first line must be &quot;format=%2&quot;)</source>
        <translation>它不是%1（类型错误：第一行必须是“format=%2”）</translation>
    </message>
    <message>
        <source>its version is missing</source>
        <translation>缺少版本</translation>
    </message>
    <message>
        <source>its version &quot;%1&quot; is unknown; this panel reads version %2</source>
        <translation>版本“%1”未知；此面板读取的是版本 %2</translation>
    </message>
    <message>
        <source>a preset needs a name</source>
        <translation>预设需要一个名称</translation>
    </message>
    <message>
        <source>a preset&apos;s name takes at most %1 characters</source>
        <translation>预设名称最多 %1 个字符</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot hold control characters</source>
        <translation>预设名称不能包含控制字符</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot start with &quot;[&quot;</source>
        <translation>预设名称不能以“[”开头</translation>
    </message>
    <message>
        <source>a preset&apos;s name cannot start or end with spaces</source>
        <translation>预设名称不能以空格开头或结尾</translation>
    </message>
    <message>
        <source>it is not a preset (wrong type: not text)</source>
        <translation>它不是预设（类型错误：不是文本）</translation>
    </message>
    <message>
        <source>a preset</source>
        <translation>预设</translation>
    </message>
    <message>
        <source>line %1 is not key=value</source>
        <translation>第 %1 行不是 key=value</translation>
    </message>
    <message>
        <source>name is given twice</source>
        <translation>name 被指定了两次</translation>
    </message>
    <message>
        <source>name is missing</source>
        <translation>缺少 name</translation>
    </message>
    <message>
        <source>a preset store</source>
        <translation>预设库</translation>
    </message>
    <message>
        <source>the preset at line %1</source>
        <translation>第 %1 行的预设</translation>
    </message>
    <message>
        <source>the preset &quot;%1&quot; (line %2)</source>
        <translation>预设“%1”（第 %2 行）</translation>
    </message>
    <message>
        <source>its name is taken by an earlier preset</source>
        <translation>其名称已被之前的预设使用</translation>
    </message>
    <message>
        <source>line %1 before the first preset is not understood; it is kept as it is</source>
        <translation>第一个预设之前的第 %1 行无法识别；该行按原样保留</translation>
    </message>
    <message>
        <source>%1 is damaged (%2): it is left out and kept in the file</source>
        <translation>%1 已损坏（%2）：已被略过，并保留在文件中</translation>
    </message>
    <message>
        <source>it is not %1 (wrong type: not text)</source>
        <translation>它不是%1（类型错误：不是文本）</translation>
    </message>
</context>
<context>
    <name>PresetSelector</name>
    <message>
        <source>No preset</source>
        <translation>无预设</translation>
    </message>
    <message>
        <source>%1, modified</source>
        <translation>%1，已修改</translation>
    </message>
    <message>
        <source>Presets</source>
        <translation>预设</translation>
    </message>
</context>
<context>
    <name>PresetStore</name>
    <message>
        <source>In %1, %2</source>
        <translation>在 %1 中，%2</translation>
    </message>
    <message>
        <source>there are already %1 presets; delete one first</source>
        <translation>已有 %1 个预设；请先删除一个</translation>
    </message>
    <message>
        <source>there is no preset &quot;%1&quot;</source>
        <translation>没有预设“%1”</translation>
    </message>
    <message>
        <source>there is already a preset &quot;%1&quot;</source>
        <translation>已存在预设“%1”</translation>
    </message>
    <message>
        <source>Cannot import %1: %2</source>
        <translation>无法导入 %1：%2</translation>
    </message>
    <message>
        <source>Cannot import %1: there are already %2 presets; delete one first</source>
        <translation>无法导入 %1：已有 %2 个预设；请先删除一个</translation>
    </message>
    <message>
        <source>Cannot export to %1: %2</source>
        <translation>无法导出到 %1：%2</translation>
    </message>
    <message>
        <source>Cannot store the presets in %1: %2</source>
        <translation>无法将预设保存到 %1：%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a factory preset, which cannot be renamed</source>
        <translation>“%1”是出厂预设，无法重命名</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a factory preset, which cannot be deleted</source>
        <translation>“%1”是出厂预设，无法删除</translation>
    </message>
    <message>
        <source>Your presets in %1 cannot be read (%2); only the factory presets are offered, and the file is kept under another name when the presets next change</source>
        <translation>无法读取 %1 中您的预设（%2）；仅提供出厂预设，下次更改预设时该文件将以另一个名称保留</translation>
    </message>
    <message>
        <source>In %1, the preset &quot;%2&quot; has a factory preset&apos;s name: it is left out and kept in the file</source>
        <translation>在 %1 中，预设“%2”与出厂预设同名：已被略过，并保留在文件中</translation>
    </message>
    <message>
        <source>%1 holds more than %2 presets: only the first %2 are offered, and the other %3 are kept in the file</source>
        <translation>%1 中的预设超过 %2 个：仅提供前 %2 个，其余 %3 个保留在文件中</translation>
    </message>
    <message>
        <source>Your presets in %1 could not be read; that file is kept as %2 and the presets are stored anew</source>
        <translation>无法读取 %1 中您的预设；该文件已保留为 %2，预设将重新保存</translation>
    </message>
</context>
<context>
    <name>PresetWindowControls</name>
    <message>
        <source>Imported the preset &quot;%1&quot;.</source>
        <translation>已导入预设“%1”。</translation>
    </message>
    <message>
        <source>Exported the preset to %1.</source>
        <translation>已将预设导出到 %1。</translation>
    </message>
    <message>
        <source>Save preset as…</source>
        <translation>预设另存为…</translation>
    </message>
    <message>
        <source>Rename preset…</source>
        <translation>重命名预设…</translation>
    </message>
    <message>
        <source>Delete preset</source>
        <translation>删除预设</translation>
    </message>
    <message>
        <source>Import preset…</source>
        <translation>导入预设…</translation>
    </message>
    <message>
        <source>Export preset…</source>
        <translation>导出预设…</translation>
    </message>
    <message>
        <source>Cannot apply the preset &quot;%1&quot;: %2</source>
        <translation>无法应用预设“%1”：%2</translation>
    </message>
    <message>
        <source>Save Preset</source>
        <translation>保存预设</translation>
    </message>
    <message>
        <source>Save the current sound as the preset (a preset of yours of the same name is replaced):</source>
        <translation>将当前声音保存为预设（同名的自定义预设将被替换）：</translation>
    </message>
    <message>
        <source>Cannot save the preset &quot;%1&quot;: %2</source>
        <translation>无法保存预设“%1”：%2</translation>
    </message>
    <message>
        <source>Rename Preset</source>
        <translation>重命名预设</translation>
    </message>
    <message>
        <source>New name of the preset &quot;%1&quot;:</source>
        <translation>预设“%1”的新名称：</translation>
    </message>
    <message>
        <source>Cannot rename the preset &quot;%1&quot;: %2</source>
        <translation>无法重命名预设“%1”：%2</translation>
    </message>
    <message>
        <source>Delete Preset</source>
        <translation>删除预设</translation>
    </message>
    <message>
        <source>Delete the preset &quot;%1&quot;? The sound stays as it is.</source>
        <translation>删除预设“%1”？声音保持不变。</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Cannot delete the preset &quot;%1&quot;: %2</source>
        <translation>无法删除预设“%1”：%2</translation>
    </message>
    <message>
        <source>Import Preset</source>
        <translation>导入预设</translation>
    </message>
    <message>
        <source>Quorel presets (*.qpreset)</source>
        <translation>Quorel 预设 (*.qpreset)</translation>
    </message>
    <message>
        <source>Export Preset</source>
        <translation>导出预设</translation>
    </message>
    <message>
        <source>Cannot export the preset &quot;%1&quot;: %2</source>
        <translation>无法导出预设“%1”：%2</translation>
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
    <name>SceneController</name>
    <message>
        <source>Scene for %1: there is no preset &quot;%2&quot;; nothing changed</source>
        <translation>%1 的场景：没有预设“%2”；未做任何更改</translation>
    </message>
    <message>
        <source>Scene for %1: the preset %2 could not be applied: %3</source>
        <translation>%1 的场景：无法应用预设 %2：%3</translation>
    </message>
    <message>
        <source>Scene for %1: preset %2</source>
        <translation>%1 的场景：预设 %2</translation>
    </message>
    <message>
        <source>Scene for %1 ended; your changes during it are kept</source>
        <translation>%1 的场景已结束；期间您所做的更改将保留</translation>
    </message>
    <message>
        <source>Scene for %1 ended, but your settings could not come back: %2</source>
        <translation>%1 的场景已结束，但无法恢复您的设置：%2</translation>
    </message>
    <message>
        <source>Scene for %1 ended; your settings are back</source>
        <translation>%1 的场景已结束；您的设置已恢复</translation>
    </message>
</context>
<context>
    <name>SceneStore</name>
    <message>
        <source>Your scenes in %1 could not be read; that file is kept as %2 and the scenes are stored anew</source>
        <translation>无法读取 %1 中的场景；该文件已保留为 %2，场景将重新保存</translation>
    </message>
    <message>
        <source>Cannot store the scenes in %1: %2</source>
        <translation>无法将场景保存到 %1：%2</translation>
    </message>
    <message>
        <source>a scene store</source>
        <translation>场景存储</translation>
    </message>
    <message>
        <source>Your scenes in %1 cannot be read (%2); no scene is followed, and the file is kept under another name when the scenes next change</source>
        <translation>无法读取 %1 中的场景（%2）；不会跟随任何场景，下次场景更改时该文件将以其他名称保留</translation>
    </message>
    <message>
        <source>In %1, line %2 before the first scene is not understood; it is kept as it is</source>
        <translation>%1 中第一个场景之前的第 %2 行无法理解；将按原样保留</translation>
    </message>
    <message>
        <source>a scene holds one line, preset=&lt;name&gt;</source>
        <translation>一个场景只包含一行 preset=&lt;名称&gt;</translation>
    </message>
    <message>
        <source>an earlier scene is for the same application</source>
        <translation>前面已有同一应用的场景</translation>
    </message>
    <message>
        <source>there are already %1 scenes</source>
        <translation>已有 %1 个场景</translation>
    </message>
    <message>
        <source>In %1, the scene at line %2 is damaged (%3): it is left out and kept in the file</source>
        <translation>%1 中第 %2 行的场景已损坏（%3）：已跳过并保留在文件中</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be named in a scene: a name takes 1 to %2 characters, without control characters, not starting with &quot;[&quot; nor starting or ending with a space</source>
        <translation>“%1”不能用于场景：名称为 1 到 %2 个字符，不含控制字符，不以“[”开头，且首尾不能是空格</translation>
    </message>
    <message>
        <source>there are already %1 scenes; remove one first</source>
        <translation>已有 %1 个场景；请先移除一个</translation>
    </message>
    <message>
        <source>there is no scene for &quot;%1&quot;</source>
        <translation>没有“%1”的场景</translation>
    </message>
</context>
<context>
    <name>ScenesDialog</name>
    <message>
        <source>Scenes</source>
        <translation>场景</translation>
    </message>
    <message>
        <source>While an application records from the device, its scene&apos;s preset is the device&apos;s sound; when it stops, your settings come back.</source>
        <translation>当某个应用从设备录音时，其场景的预设即为设备的声音；录音停止后，您的设置将恢复。</translation>
    </message>
    <message>
        <source>Follow the scenes</source>
        <translation>跟随场景</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>Application:</source>
        <translation>应用：</translation>
    </message>
    <message>
        <source>Preset:</source>
        <translation>预设：</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>添加</translation>
    </message>
    <message>
        <source>%1: preset %2</source>
        <translation>%1：预设 %2</translation>
    </message>
</context>
<context>
    <name>SessionChecks</name>
    <message>
        <source>Session bus</source>
        <translation>会话总线</translation>
    </message>
    <message>
        <source>Panel running in this session</source>
        <translation>本会话中运行的面板</translation>
    </message>
    <message>
        <source>Tray host</source>
        <translation>系统托盘</translation>
    </message>
    <message>
        <source>there is no session bus (%1), so scripts cannot reach the panel and a second start is not caught</source>
        <translation>没有会话总线（%1），因此脚本无法访问面板，也无法识别重复启动</translation>
    </message>
    <message>
        <source>Start the panel inside a desktop session, or under &apos;dbus-run-session -- quorel-panel&apos;.</source>
        <translation>请在桌面会话中启动面板，或使用“dbus-run-session -- quorel-panel”启动。</translation>
    </message>
    <message>
        <source>no session bus</source>
        <translation>无会话总线</translation>
    </message>
    <message>
        <source>no other panel holds %1</source>
        <translation>没有其他面板占用 %1</translation>
    </message>
    <message>
        <source>this panel holds %1</source>
        <translation>本面板占用 %1</translation>
    </message>
    <message>
        <source>another panel (process %1) holds %2, so starting the panel again only brings that one&apos;s window up</source>
        <translation>另一个面板（进程 %1）占用 %2，因此再次启动只会显示该面板的窗口</translation>
    </message>
    <message>
        <source>Use that panel (it may be running in the background, in the tray), or quit it from its menu before starting another.</source>
        <translation>请使用该面板（它可能在后台或系统托盘中运行），或先从其菜单退出，再启动新的面板。</translation>
    </message>
    <message>
        <source>the desktop shows a tray</source>
        <translation>桌面显示系统托盘</translation>
    </message>
    <message>
        <source>the desktop shows no tray (no host registered with %1)</source>
        <translation>桌面不显示系统托盘（没有宿主在 %1 注册）</translation>
    </message>
    <message>
        <source>On GNOME install and enable the AppIndicator extension (&apos;sudo apt-get install gnome-shell-extension-appindicator&apos;); until then the background options are in the window&apos;s right-click menu.</source>
        <translation>在 GNOME 上请安装并启用 AppIndicator 扩展（“sudo apt-get install gnome-shell-extension-appindicator”）；在此之前，后台选项位于窗口的右键菜单中。</translation>
    </message>
</context>
<context>
    <name>SettingsChecks</name>
    <message>
        <source>Settings file readable and valid</source>
        <translation>设置文件可读且有效</translation>
    </message>
    <message>
        <source>Settings folder writable</source>
        <translation>设置文件夹可写</translation>
    </message>
    <message>
        <source>Quit the panel and delete %1; the next start takes the factory values.</source>
        <translation>请退出面板并删除 %1；下次启动将使用出厂值。</translation>
    </message>
    <message>
        <source>%1 is not there yet; the factory values are used</source>
        <translation>%1 尚不存在；使用出厂值</translation>
    </message>
    <message>
        <source>%1 cannot be read (%2), so the panel starts from the factory values</source>
        <translation>无法读取 %1（%2），因此面板以出厂值启动</translation>
    </message>
    <message>
        <source>Give it back to your user (&apos;sudo chown &quot;$USER&quot;: %1 &amp;&amp; chmod 600 %1&apos;).</source>
        <translation>请将其归还给您的用户（“sudo chown &quot;$USER&quot;: %1 &amp;&amp; chmod 600 %1”）。</translation>
    </message>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 不是普通文件</translation>
    </message>
    <message>
        <source>%1 is damaged (%2 bytes, far more than settings take)</source>
        <translation>%1 已损坏（%2 字节，远超设置所需）</translation>
    </message>
    <message>
        <source>%1 is damaged</source>
        <translation>%1 已损坏</translation>
    </message>
    <message>
        <source>%1 holds no settings yet; the factory values are used</source>
        <translation>%1 尚无设置；使用出厂值</translation>
    </message>
    <message>
        <source>the settings in %1 are damaged (%2)</source>
        <translation>%1 中的设置已损坏（%2）</translation>
    </message>
    <message>
        <source>one setting in %1 is damaged (%2) and reads as 0</source>
        <translation>%1 中有一项设置已损坏（%2），读作 0</translation>
    </message>
    <message>
        <source>Set it again in the panel; the next save writes it whole.</source>
        <translation>请在面板中重新设置；下次保存时会完整写入。</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 不是文件夹</translation>
    </message>
    <message>
        <source>Move %1 aside, so the panel can make its settings folder.</source>
        <translation>请移走 %1，以便面板创建其设置文件夹。</translation>
    </message>
    <message>
        <source>the panel cannot write into %1 (%2), so no setting is kept</source>
        <translation>面板无法写入 %1（%2），因此不会保留任何设置</translation>
    </message>
    <message>
        <source>Give the folder back to your user (&apos;sudo chown -R &quot;$USER&quot;: %1&apos;).</source>
        <translation>请将该文件夹归还给您的用户（“sudo chown -R &quot;$USER&quot;: %1”）。</translation>
    </message>
</context>
<context>
    <name>SoundServerChecks</name>
    <message>
        <source>libpulse cannot make a connection</source>
        <translation>libpulse 无法建立连接</translation>
    </message>
    <message>
        <source>it did not answer within %1 s</source>
        <translation>它在 %1 秒内没有应答</translation>
    </message>
    <message>
        <source>it answered, but not what it has within %1 s</source>
        <translation>它已应答，但未在 %1 秒内给出其内容</translation>
    </message>
    <message>
        <source>%1 (package pipewire-bin) is not installed</source>
        <translation>%1（软件包 pipewire-bin）未安装</translation>
    </message>
    <message>
        <source>%1 did not answer within %2 s</source>
        <translation>%1 在 %2 秒内没有应答</translation>
    </message>
    <message>
        <source>%1 failed: %2</source>
        <translation>%1 失败：%2</translation>
    </message>
    <message>
        <source>Sound server</source>
        <translation>声音服务器</translation>
    </message>
    <message>
        <source>The device&apos;s output in the sound server</source>
        <translation>声音服务器中的设备输出</translation>
    </message>
    <message>
        <source>The device&apos;s input in the sound server</source>
        <translation>声音服务器中的设备输入</translation>
    </message>
    <message>
        <source>The device&apos;s output is the default</source>
        <translation>设备输出为默认输出</translation>
    </message>
    <message>
        <source>The device&apos;s input is the default</source>
        <translation>设备输入为默认输入</translation>
    </message>
    <message>
        <source>Default output the session manager restores</source>
        <translation>会话管理器恢复的默认输出</translation>
    </message>
    <message>
        <source>the session&apos;s socket</source>
        <translation>会话的套接字</translation>
    </message>
    <message>
        <source>no sound server answers at %1 (%2)</source>
        <translation>%1 处没有声音服务器应答（%2）</translation>
    </message>
    <message>
        <source>Start PipeWire&apos;s PulseAudio server (&apos;systemctl --user start pipewire-pulse&apos;) or PulseAudio (&apos;pulseaudio --start&apos;); the panel connects by itself once it runs.</source>
        <translation>请启动 PipeWire 的 PulseAudio 服务器（“systemctl --user start pipewire-pulse”）或 PulseAudio（“pulseaudio --start”）；服务器运行后面板会自动连接。</translation>
    </message>
    <message>
        <source>no sound server</source>
        <translation>无声音服务器</translation>
    </message>
    <message>
        <source>Plug the device in; if it is in, check that its profile is not &quot;Off&quot; in the desktop&apos;s sound settings (&apos;pactl list cards&apos;).</source>
        <translation>请插入设备；如果已插入，请检查桌面声音设置中其配置文件不是“Off”（“pactl list cards”）。</translation>
    </message>
    <message>
        <source>output</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>input</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>the sound server has no %1 named &quot;%2&quot;</source>
        <translation>声音服务器中没有名为“%2”的%1</translation>
    </message>
    <message>
        <source>the device has no %1</source>
        <translation>设备没有%1</translation>
    </message>
    <message>
        <source>the default %1 is %2, so the sound does not go through the device</source>
        <translation>默认%1为 %2，因此声音不经过设备</translation>
    </message>
    <message>
        <source>not set</source>
        <translation>未设置</translation>
    </message>
    <message>
        <source>Start the panel, which makes the device the default when it links, or choose it in the desktop&apos;s sound settings (&apos;pactl %1 %2&apos;).</source>
        <translation>请启动面板（连接时会将设备设为默认），或在桌面声音设置中选择该设备（“pactl %1 %2”）。</translation>
    </message>
    <message>
        <source>PulseAudio keeps no separate session manager&apos;s default</source>
        <translation>PulseAudio 没有单独的会话管理器默认设置</translation>
    </message>
    <message>
        <source>none set; WirePlumber follows the current default</source>
        <translation>未设置；WirePlumber 跟随当前默认设置</translation>
    </message>
    <message>
        <source>WirePlumber&apos;s configured default output is %1, which it restores over the device</source>
        <translation>WirePlumber 配置的默认输出为 %1，它会用它替代设备</translation>
    </message>
    <message>
        <source>Make the device the default output in the desktop&apos;s sound settings, or run &apos;pactl set-default-sink %1&apos;; WirePlumber keeps that choice.</source>
        <translation>请在桌面声音设置中将设备设为默认输出，或运行“pactl set-default-sink %1”；WirePlumber 会保留此选择。</translation>
    </message>
</context>
<context>
    <name>Transport</name>
    <message>
        <source>it is a folder</source>
        <translation>它是一个文件夹</translation>
    </message>
    <message>
        <source>it is a named pipe, not a file</source>
        <translation>它是命名管道，不是文件</translation>
    </message>
    <message>
        <source>it is a device, not a file</source>
        <translation>它是设备，不是文件</translation>
    </message>
    <message>
        <source>it is a socket, not a file</source>
        <translation>它是套接字，不是文件</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>它不是普通文件</translation>
    </message>
    <message>
        <source>the GStreamer playbin, pulsesink or fakesink element is missing</source>
        <translation>缺少 GStreamer 元素 playbin、pulsesink 或 fakesink</translation>
    </message>
    <message>
        <source>it cannot be opened</source>
        <translation>无法打开</translation>
    </message>
    <message>
        <source>it has no audio stream</source>
        <translation>其中没有音频流</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>它不存在</translation>
    </message>
    <message>
        <source>the recording pipeline cannot be linked</source>
        <translation>无法连接录音管道</translation>
    </message>
    <message>
        <source>the input cannot be opened</source>
        <translation>无法打开输入</translation>
    </message>
    <message>
        <source>the input cannot be started</source>
        <translation>无法启动输入</translation>
    </message>
    <message>
        <source>only AAC recordings are supported</source>
        <translation>仅支持 AAC 录音</translation>
    </message>
    <message>
        <source>the sample rate and channel count must be positive</source>
        <translation>采样率和声道数必须为正数</translation>
    </message>
    <message>
        <source>recordings can only be written to local files</source>
        <translation>录音只能写入本地文件</translation>
    </message>
</context>
<context>
    <name>TransportControls</name>
    <message>
        <source>Cannot record %1: %2</source>
        <translation>无法录制到 %1：%2</translation>
    </message>
    <message>
        <source>Cannot play %1: %2</source>
        <translation>无法播放 %1：%2</translation>
    </message>
    <message>
        <source>the transport changed while the panel was open</source>
        <translation>对话框打开期间播放或录制状态已改变</translation>
    </message>
    <message>
        <source>the device is not linked</source>
        <translation>设备未连接</translation>
    </message>
    <message>
        <source>the audio output refused it</source>
        <translation>音频输出拒绝了播放</translation>
    </message>
    <message>
        <source>the input refused to start</source>
        <translation>输入无法启动</translation>
    </message>
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
    <message>
        <source>Cannot record while the microphone check runs.</source>
        <translation>麦克风检查进行时无法录音。</translation>
    </message>
    <message>
        <source>Cannot play while the microphone check runs.</source>
        <translation>麦克风检查进行时无法播放。</translation>
    </message>
</context>
<context>
    <name>UndoActions</name>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Cannot undo: %1</source>
        <translation>无法撤销：%1</translation>
    </message>
    <message>
        <source>Cannot redo: %1</source>
        <translation>无法重做：%1</translation>
    </message>
</context>
<context>
    <name>UsbHID</name>
    <message>
        <source>The panel may not write to the device (%1). %2</source>
        <translation>面板无权写入设备（%1）。%2</translation>
    </message>
    <message>
        <source>The device is not answering. Your settings go to it as soon as it takes them again; if it stays silent, plug it in again.</source>
        <translation>设备没有响应。设备恢复接收后，您的设置会立即发送给它；如果仍无响应，请重新插入设备。</translation>
    </message>
    <message>
        <source>The device refused a setting (%1). It gets all settings again once it takes one; if it keeps refusing, plug it in again.</source>
        <translation>设备拒绝了一项设置（%1）。一旦它再次接受设置，就会重新收到全部设置；如果仍然拒绝，请重新插入设备。</translation>
    </message>
</context>
<context>
    <name>WindowTitleControls</name>
    <message>
        <source>Minimise</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
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
