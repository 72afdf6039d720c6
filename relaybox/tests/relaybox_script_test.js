// Drives the Relaybox server the way any automation client would: by ProgID
// and through IDispatch only. Exits with the number of failed checks.
var failures = 0;
// Wine's script host has no WScript.Sleep: wait by the clock.
function pause(ms) {
    var end = new Date().getTime() + ms;
    while (new Date().getTime() < end) {}
}
function check(ok, what) {
    if (!ok) { WScript.Echo("FAILED: " + what); failures++; }
}

var hidD = new ActiveXObject("Relaybox.cHidD");
check(hidD.Scan(0x1234, 0x5678) === 0, "Scan of an absent panel gives 0");
check(hidD.GetDevicePathName(1) === "", "an unused position is empty");
try {
    hidD.GetDevicePathName(17);
    check(false, "position 17 raises");
} catch (e) {
    check((e.number & 0xFFFF) === 9, "position 17: subscript out of range, got " + (e.number & 0xFFFF));
}
check(hidD.GetCapabilities("\\\\?\\hid#vid_0000&pid_0000#gone") === false, "GetCapabilities of no device");
check(hidD.CapsInputReportByteLength() === 0, "capabilities start at 0");

var reader = new ActiveXObject("Relaybox.cPanelIO");
check(reader.HiddTimeout === 3000 && reader.HIDHandle === 0, "reader defaults");
check(reader.Priority === 0x8000 && reader.Affinity === -1, "reader priority and affinity defaults");
reader.HiddTimeout = 1500;
var panelPath = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "\\\\?\\hid#vid_06a3&pid_0d05#none";
reader.DevicePathName = panelPath;
check(reader.HiddTimeout === 1500, "HiddTimeout written");
check(reader.DevicePathName === panelPath, "DevicePathName written");
reader.StartThread();
try {
    reader.StartThread();
    check(false, "a second StartThread raises");
} catch (e) {
    WScript.Echo(e.description + " " + (e.number & 0xFFFF));
    check((e.number & 0xFFFF) === 32540, "error number 32540");
    check(e.description === "Already Started", "error text");
}
reader.StopThread();

var timer = new ActiveXObject("Relaybox.cHighSpeedTimer");
check(timer.Interval === 1000 && timer.Enabled === false, "timer defaults");
timer.Interval = 5;
timer.Enabled = true;
pause(200);
check(timer.Enabled === true, "timer running");
timer.Enabled = false;
pause(100);
check(timer.Enabled === false, "timer stopped");

reader = null;
hidD = null;
timer = null;
CollectGarbage();
WScript.Echo("done");
WScript.Quit(failures);
