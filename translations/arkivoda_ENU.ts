<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="hr_HR">
<context>
    <name>Poruke</name>
    <message>
        <source>64976</source>
        <translation>Partial backup completed in the folder</translation>
    </message>
    <message>
        <source>64977</source>
        <translation>Backup completed in the folder</translation>
    </message>
    <message>
        <source>64978</source>
        <translation>Archive:</translation>
    </message>
    <message>
        <source>64979</source>
        <translation>current list:</translation>
    </message>
    <message>
        <source>64992</source>
        <translation>building the list of files and folders to back up and checking that their locations are available...</translation>
    </message>
    <message>
        <source>64993</source>
        <translation>finalising the archive and stopping the backup...</translation>
    </message>
    <message>
        <source>64994</source>
        <translation>archiving file</translation>
    </message>
    <message>
        <source>64995</source>
        <translation>An error occurred while working with the archive.</translation>
    </message>
    <message>
        <source>64996</source>
        <translation>time left until the next automatic backup: %s</translation>
    </message>
    <message>
        <source>64997</source>
        <translation>Arkivoda will start the automatic backup in one minute</translation>
    </message>
    <message>
        <source>64998</source>
        <translation>Cannot find the list of files to back up!</translation>
    </message>
    <message>
        <source>64999</source>
        <translation>The archive folder %s does not exist or is not available at the moment! <byte value="xd"/>
Please check that the device the folder is on is available.</translation>
    </message>
    <message>
        <source>65000</source>
        <translation>%s<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
into the file<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
Files archived: %s<byte value="xd"/>
Total size of archived files: %s MB<byte value="xd"/>
Archive size: %s MB<byte value="xd"/>
Compression: %s<byte value="xd"/>
Duration: %s</translation>
    </message>
    <message numerus="yes">
        <source>65001</source>
        <translation>
            <numerusform>During the backup, %s file or folder<byte value="xd"/>
was unavailable for some reason!</numerusform>
            <numerusform>During the backup, %s files or folders<byte value="xd"/>
were unavailable for some reason!</numerusform>
        </translation>
    </message>
    <message>
        <source>65002</source>
        <translation>The file %s already exists in the chosen folder!<byte value="xd"/>
<byte value="xd"/>
Do you want to replace it with the new archive?</translation>
    </message>
    <message>
        <source>65003</source>
        <translation>Cannot find the list of files to back up</translation>
    </message>
    <message>
        <source>65004</source>
        <translation>The backup has been saved to the archive</translation>
    </message>
    <message>
        <source>65005</source>
        <translation>finalising the archive...</translation>
    </message>
    <message>
        <source>65006</source>
        <translation>backup stopped, a partial archive was created</translation>
    </message>
    <message>
        <source>65007</source>
        <translation>backup completed</translation>
    </message>
    <message>
        <source>65008</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>65009</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>65010</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>65011</source>
        <translation>No</translation>
    </message>
    <message>
        <source>65012</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>65013</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>65014</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>65015</source>
        <translation>waiting...</translation>
    </message>
    <message>
        <source>65016</source>
        <translation>%s - current list: %s</translation>
    </message>
    <message>
        <source>65017</source>
        <translation>The archive file no longer exists or is not available at the moment!<byte value="xd"/>
Please check that the device the archive file is on is available.</translation>
    </message>
    <message>
        <source>65018</source>
        <translation>The archive file no longer exists or is not available at the moment!<byte value="xd"/>
Please check that the device the archive file is on is available.</translation>
    </message>
    <message>
        <source>65019</source>
        <translation>finalising the archive and stopping the backup...</translation>
    </message>
    <message>
        <source>65020</source>
        <translation>The backup is paused. Press OK to continue...</translation>
    </message>
    <message>
        <source>65021</source>
        <translation>elapsed backup time:</translation>
    </message>
    <message>
        <source>65022</source>
        <translation>Please confirm that you want to force the backup to stop. The archive file will be left invalid. A system error message may also appear.</translation>
    </message>
    <message>
        <source>65023</source>
        <translation>forcing the backup to stop...</translation>
    </message>
    <message>
        <source>65024</source>
        <translation>%s - current list: %s</translation>
    </message>
    <message>
        <source>65025</source>
        <translation>The file or folder does not exist!<byte value="xd"/>
<byte value="xd"/>
Please check that the device the file or folder is on is available.</translation>
    </message>
    <message>
        <source>65026</source>
        <translation>Choose the archive folder</translation>
    </message>
    <message>
        <source>65027</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>65028</source>
        <translation>The file with the list of files and folders to back up does not exist!</translation>
    </message>
    <message>
        <source>65029</source>
        <translation>Confirm removing the entry<byte value="xd"/>
<byte value="xd"/>
%s<byte value="xd"/>
<byte value="xd"/>
from the list of files and folders to back up...</translation>
    </message>
    <message>
        <source>65030</source>
        <translation>Add folders to back up (you can select several folders at once)</translation>
    </message>
    <message>
        <source>65031</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>65032</source>
        <translation>Add folders to back up</translation>
    </message>
    <message>
        <source>65033</source>
        <translation>files and folders that were not found or were not available during the backup</translation>
    </message>
    <message>
        <source>65034</source>
        <translation>Time left until</translation>
    </message>
    <message>
        <source>65035</source>
        <translation>the program closes</translation>
    </message>
    <message>
        <source>65036</source>
        <translation>the user is logged off</translation>
    </message>
    <message>
        <source>65037</source>
        <translation>the computer shuts down</translation>
    </message>
    <message>
        <source>65038</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>65039</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>65047</source>
        <translation>Could not connect to the program&apos;s website!<byte value="xd"/>
Unable to check for a newer version right now.<byte value="xd"/>
Please try again later.</translation>
    </message>
    <message>
        <source>65048</source>
        <translation>A newer version of the program is available.<byte value="xd"/>
<byte value="xd"/>
Your version: %s<byte value="xd"/>
Version on the server: %s<byte value="xd"/>
<byte value="xd"/>
Do you want to visit the website to download the latest version?</translation>
    </message>
    <message>
        <source>65049</source>
        <translation>You are using the latest version of the program.</translation>
    </message>
    <message>
        <source>65050</source>
        <translation>about</translation>
    </message>
    <message>
        <source>65051</source>
        <translation>waiting...</translation>
    </message>
    <message>
        <source>65052</source>
        <translation>The list of files and folders to back up is empty!<byte value="xd"/>
<byte value="xd"/>
Add at least one file or folder to the list.</translation>
    </message>
    <message>
        <source>65053</source>
        <translation>The archive folder does not exist!<byte value="xd"/>
<byte value="xd"/>
Please check that a folder exists at the given path,<byte value="xd"/>
or, if you back up to an external disk or a network folder,<byte value="xd"/>
that the device is available!</translation>
    </message>
    <message>
        <source>65054</source>
        <translation>Enter a prefix for the archive files!</translation>
    </message>
    <message>
        <source>65055</source>
        <translation>settings</translation>
    </message>
    <message>
        <source>65056</source>
        <translation>The prefix of archive files must not contain &quot;/&quot; nor consist of dots alone!</translation>
    </message>
    <message>
        <source>65057</source>
        <translation>%s (its name in the archive would be longer than 65,535 bytes)</translation>
    </message>
    <message>
        <source>65058</source>
        <translation> (restored)</translation>
    </message>
    <message>
        <source>65059</source>
        <translation>The file %s already exists.<byte value="xd"/>
Do you want to replace it with the restored one, skip it or keep both?</translation>
    </message>
    <message>
        <source>65060</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>65061</source>
        <translation>Skip</translation>
    </message>
    <message>
        <source>65062</source>
        <translation>Keep both</translation>
    </message>
    <message>
        <source>65063</source>
        <translation>Replace all</translation>
    </message>
    <message>
        <source>65064</source>
        <translation>Skip all</translation>
    </message>
    <message>
        <source>65065</source>
        <translation>Keep both for all</translation>
    </message>
    <message>
        <source>65066</source>
        <translation>Files restored: %s<byte value="xd"/>
Files skipped: %s<byte value="xd"/>
Failed: %s</translation>
    </message>
    <message>
        <source>65067</source>
        <translation>Not restored:</translation>
    </message>
    <message>
        <source>65068</source>
        <translation>restoring file %s</translation>
    </message>
    <message>
        <source>65069</source>
        <translation>restoring files was stopped</translation>
    </message>
    <message>
        <source>65070</source>
        <translation>restoring files is finished</translation>
    </message>
    <message>
        <source>65071</source>
        <translation>Choose the folder to restore files into</translation>
    </message>
    <message>
        <source>65072</source>
        <translation>Open an archive</translation>
    </message>
    <message>
        <source>65073</source>
        <translation>ZIP archive (*.zip)</translation>
    </message>
    <message>
        <source>65074</source>
        <translation>The archive %s cannot be opened:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65075</source>
        <translation>Select the files or folders you want to restore.</translation>
    </message>
    <message numerus="yes">
        <source>65076</source>
        <translation>
            <numerusform>archive %s: %s entry</numerusform>
            <numerusform>archive %s: %s entries</numerusform>
        </translation>
    </message>
    <message>
        <source>65077</source>
        <translation>stopping the restore...</translation>
    </message>
    <message>
        <source>65078</source>
        <translation>another entry of the archive was already restored under this name</translation>
    </message>
    <message>
        <source>65079</source>
        <translation>Temporary files of an interrupted restore were left in the destination folders (not deleted):</translation>
    </message>
    <message>
        <source>65080</source>
        <translation>Another Arkivoda process is changing %s and did not release it within %s s; the change was not saved.</translation>
    </message>
    <message>
        <source>65110</source>
        <translation>verifying the archive... %s%</translation>
    </message>
    <message>
        <source>65111</source>
        <translation>The archive was verified: sound</translation>
    </message>
    <message>
        <source>65112</source>
        <translation>The archive is damaged: %s</translation>
    </message>
    <message>
        <source>65113</source>
        <translation>The archive was not verified: the verification was stopped.</translation>
    </message>
    <message>
        <source>65114</source>
        <translation>Incomplete archives of earlier runs are in the archive folder (they were not deleted):</translation>
    </message>
    <message>
        <source>65115</source>
        <translation>incomplete archives in the archive folder: %s</translation>
    </message>
    <message>
        <source>65116</source>
        <translation>Older archives of this configuration were deleted:</translation>
    </message>
    <message>
        <source>65117</source>
        <translation>An older archive could not be deleted: %s</translation>
    </message>
    <message>
        <source>65118</source>
        <translation>Left out by the exclusions and the archive folder: %s, %s</translation>
    </message>
    <message>
        <source>65119</source>
        <translation>No older archive was deleted, because this archive was not verified.</translation>
    </message>
    <message>
        <source>65120</source>
        <translation>No older archive was deleted, because some files or folders could not be read.</translation>
    </message>
    <message>
        <source>65121</source>
        <translation>Archives dated after this backup (neither counted nor deleted; check the computer's clock):</translation>
    </message>
    <message numerus="yes">
        <source>65122</source>
        <translation>
            <numerusform>Incomplete backup (%s file or folder could not be read) completed in the folder</numerusform>
            <numerusform>Incomplete backup (%s files or folders could not be read) completed in the folder</numerusform>
        </translation>
    </message>
    <message>
        <source>65123</source>
        <translation>The backup was stopped; the partial archive was saved to</translation>
    </message>
    <message numerus="yes">
        <source>65124</source>
        <translation>
            <numerusform>The backup has been saved without %s unreadable file or folder to the archive</numerusform>
            <numerusform>The backup has been saved without %s unreadable files or folders to the archive</numerusform>
        </translation>
    </message>
    <message>
        <source>65159</source>
        <translation>The record of the last automatic backup (Timer/Zadnje=%s) is not valid and was ignored.</translation>
    </message>
    <message>
        <source>65160</source>
        <translation>The daily backup missed at %s is starting now</translation>
    </message>
    <message>
        <source>65161</source>
        <translation>Last successful backup: %s</translation>
    </message>
    <message>
        <source>65162</source>
        <translation>today</translation>
    </message>
    <message>
        <source>65163</source>
        <translation>yesterday</translation>
    </message>
    <message>
        <source>65164</source>
        <translation>%s days ago</translation>
    </message>
    <message>
        <source>65165</source>
        <translation>%s days ago</translation>
    </message>
    <message>
        <source>65166</source>
        <translation>none yet</translation>
    </message>
    <message>
        <source>65167</source>
        <translation>Backups are overdue! %s</translation>
    </message>
    <message>
        <source>65100</source>
        <translation>The system did not accept the request to shut the computer down:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65101</source>
        <translation>The system did not accept the request to log the user off:<byte value="xd"/>
%s</translation>
    </message>
    <message>
        <source>65102</source>
        <translation>the session manager (systemd-logind) is not available.</translation>
    </message>
    <message>
        <source>65103</source>
        <translation>Backup in progress</translation>
    </message>
    <message>
        <source>65140</source>
        <translation>Cannot write the file %s.</translation>
    </message>
    <message>
        <source>65141</source>
        <translation>Cannot read the file %s.</translation>
    </message>
    <message>
        <source>65142</source>
        <translation>Cannot open the folder %s.<byte value="xd"/>
<byte value="xd"/>
No file manager was found on this computer.</translation>
    </message>
    <message>
        <source>65143</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>65144</source>
        <translation>Cannot create the settings folder %s, so settings cannot be saved (%s).</translation>
    </message>
    <message>
        <source>65180</source>
        <translation>sending the copy to %s … %s %</translation>
    </message>
    <message>
        <source>65181</source>
        <translation>The copy was sent and confirmed: %s</translation>
    </message>
    <message>
        <source>65182</source>
        <translation>The copy was not sent to %s: %s</translation>
    </message>
    <message>
        <source>65183</source>
        <translation>sending was stopped</translation>
    </message>
    <message>
        <source>65184</source>
        <translation>rclone is not installed (install the package rclone)</translation>
    </message>
    <message>
        <source>65185</source>
        <translation>the copy at the target does not match the archive (%s)</translation>
    </message>
    <message>
        <source>65186</source>
        <translation>rclone did not finish within %s s</translation>
    </message>
    <message>
        <source>65187</source>
        <translation>rclone ended with error %s</translation>
    </message>
    <message>
        <source>65188</source>
        <translation>Older copies deleted at the target: %s</translation>
    </message>
    <message>
        <source>65189</source>
        <translation>Older copies at the target could not be deleted: %s</translation>
    </message>
    <message numerus="yes">
        <source>65190</source>
        <translation>
            <numerusform>The connection works: %s holds %s folder.</numerusform>
            <numerusform>The connection works: %s holds %s folders.</numerusform>
        </translation>
    </message>
    <message>
        <source>65191</source>
        <translation>The connection works, but the folder %s does not exist yet; the first copy makes it.</translation>
    </message>
    <message>
        <source>65192</source>
        <translation>The connection to %s failed: %s</translation>
    </message>
    <message>
        <source>65193</source>
        <translation>rclone is not installed: no copies are sent until the package rclone is installed.</translation>
    </message>
    <message>
        <source>65194</source>
        <translation>checking the connection...</translation>
    </message>
    <message>
        <source>65195</source>
        <translation>stopping the copy...</translation>
    </message>
    <message>
        <source>65196</source>
        <translation>Copies at the target dated after this archive (neither counted nor deleted): %s</translation>
    </message>
    <message>
        <source>65197</source>
        <translation>the target is neither a remote:path nor an absolute folder path</translation>
    </message>
    <message>
        <source>65198</source>
        <translation>rclone knows no remote %s (rclone listremotes)</translation>
    </message>
    <message>
        <source>65199</source>
        <translation>The copy target %s cannot be used: %s</translation>
    </message>
    <message>
        <source>65260</source>
        <translation>%s (could not be read: %s)</translation>
    </message>
    <message>
        <source>65261</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>65262</source>
        <translation>does not exist</translation>
    </message>
    <message>
        <source>65263</source>
        <translation>already exists</translation>
    </message>
    <message>
        <source>65264</source>
        <translation>read-only file system</translation>
    </message>
    <message>
        <source>65265</source>
        <translation>input/output error</translation>
    </message>
    <message>
        <source>65266</source>
        <translation>too many levels of symbolic links</translation>
    </message>
    <message>
        <source>65267</source>
        <translation>name too long</translation>
    </message>
    <message>
        <source>65268</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>65269</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>65270</source>
        <translation>changed while it was read</translation>
    </message>
    <message>
        <source>65271</source>
        <translation>system error %s</translation>
    </message>
    <message numerus="yes">
        <source>65390</source>
        <translation>
            <numerusform>%s file</numerusform>
            <numerusform>%s files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>65391</source>
        <translation>
            <numerusform>%s folder</numerusform>
            <numerusform>%s folders</numerusform>
        </translation>
    </message>
    <message>
        <source>65360</source>
        <translation>restoring files finished with errors, failed: %s</translation>
    </message>
    <message>
        <source>65361</source>
        <translation>archive %s is no longer available</translation>
    </message>
    <message numerus="yes">
        <source>65362</source>
        <translation>
            <numerusform>%s byte</numerusform>
            <numerusform>%s bytes</numerusform>
        </translation>
    </message>
    <message>
        <source>65300</source>
        <translation>the archive is damaged or incomplete (no end of central directory record)</translation>
    </message>
    <message>
        <source>65301</source>
        <translation>damaged central directory</translation>
    </message>
    <message>
        <source>65302</source>
        <translation>damaged ZIP64 end records</translation>
    </message>
    <message>
        <source>65303</source>
        <translation>overlapping entries</translation>
    </message>
    <message>
        <source>65304</source>
        <translation>damaged local header of the entry</translation>
    </message>
    <message>
        <source>65305</source>
        <translation>the entry's local header differs from the central directory</translation>
    </message>
    <message>
        <source>65306</source>
        <translation>the entry's local name differs from its name in the central directory</translation>
    </message>
    <message>
        <source>65307</source>
        <translation>unknown version needed to extract (%s)</translation>
    </message>
    <message>
        <source>65308</source>
        <translation>damaged extra field</translation>
    </message>
    <message>
        <source>65309</source>
        <translation>CRC-32 mismatch</translation>
    </message>
    <message>
        <source>65310</source>
        <translation>size mismatch</translation>
    </message>
    <message>
        <source>65311</source>
        <translation>compressed data end early</translation>
    </message>
    <message>
        <source>65312</source>
        <translation>compressed data are damaged</translation>
    </message>
    <message>
        <source>65313</source>
        <translation>an entry without a name holds data</translation>
    </message>
    <message>
        <source>65314</source>
        <translation>encrypted entries are not supported</translation>
    </message>
    <message>
        <source>65315</source>
        <translation>encrypted: cannot be checked without the password</translation>
    </message>
    <message>
        <source>65316</source>
        <translation>unsupported compression method %s</translation>
    </message>
    <message>
        <source>65317</source>
        <translation>cannot be checked: compression method %s</translation>
    </message>
    <message>
        <source>65318</source>
        <translation>cannot be checked: LZMA dictionary of %s MiB</translation>
    </message>
    <message>
        <source>65319</source>
        <translation>entry too large to read into memory</translation>
    </message>
    <message>
        <source>65320</source>
        <translation>entry not in the archive</translation>
    </message>
    <message>
        <source>65321</source>
        <translation>unsafe name in the archive</translation>
    </message>
    <message>
        <source>65322</source>
        <translation>links are not extracted</translation>
    </message>
    <message>
        <source>65323</source>
        <translation>special files are not extracted</translation>
    </message>
    <message>
        <source>65324</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>65325</source>
        <translation>the archive cannot be read to its end</translation>
    </message>
    <message>
        <source>65326</source>
        <translation>the archive cannot be written</translation>
    </message>
    <message>
        <source>65327</source>
        <translation>entry name longer than 65535 bytes</translation>
    </message>
    <message>
        <source>65328</source>
        <translation>compression failed</translation>
    </message>
    <message>
        <source>65329</source>
        <translation>compression stopped</translation>
    </message>
    <message>
        <source>65330</source>
        <translation>internal error of the program</translation>
    </message>
    <message>
        <source>65331</source>
        <translation>no space left on the disk</translation>
    </message>
    <message>
        <source>65332</source>
        <translation>file too large</translation>
    </message>
    <message>
        <source>65333</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <source>65334</source>
        <translation>the archive has fewer entries than were chosen</translation>
    </message>
</context>
<context>
    <name>PorukeCli</name>
    <message>
        <source>help</source>
        <translation>Usage: arkivoda-cli [list]
       arkivoda-cli --manual FILE [--overwrite] [list]
       arkivoda-cli --verify FILE
       arkivoda-cli --list ARCHIVE [PATTERN...]
       arkivoda-cli --restore ARCHIVE --to FOLDER [PATTERN...] [--replace|--skip]
       arkivoda-cli --copy FILE [list]

Arkivoda backs up every file and folder on the backup list into one new ZIP archive.

Without options it runs an automatic backup: the archive is saved in the archive folder
from the settings, named PREFIX_yyyy.mm.dd__hh.mm.ss.zip, and its path is recorded as
the last automatic archive.

  list                  name of a separate configuration: the files
                        list_Arkivoda.ini and list_Arkivoda_bcklst.txt are used
  --manual FILE         manual backup into the given file (recorded as the
                        last manual archive)
  --overwrite           with --manual: an existing file is replaced; without this
                        option a backup over an existing file is refused
  --verify FILE         reads the ZIP archive FILE back from the disk and checks all
                        of it: end records, central directory, local headers and
                        the contents of every file (sizes and CRC-32)
  --list ARCHIVE        list the archive&apos;s entries (date, size, name)
  --restore ARCHIVE     restore entries into the folder given with --to FOLDER, each
                        under its name in the archive; PATTERN chooses entries (* and
                        ? as in the shell, a folder&apos;s name chooses all in it)
  --replace             with --restore: existing files are replaced
  --skip                with --restore: existing files are kept; without these
                        options a restore over existing files is refused
  --copy FILE           sends an existing archive to the remote target from the
                        settings (Udaljeno/Cilj, through rclone), as after a backup
  -h, --help            show this text
  --version             show the program&apos;s version

The settings and the list are kept in $XDG_CONFIG_HOME/Arkivoda/ (usually ~/.config/Arkivoda/).
Messages appear in the program&apos;s language from the settings.

During a backup, progress is written to standard error. The archive is written under
its name with the extension .part added and gets its own name only once all of it is on
the disk. The first Ctrl+C (or SIGTERM) stops the backup: the current file is finished
and the archive is closed properly. A second Ctrl+C forces the backup to stop: the
incomplete archive is left under the name with .part.

With a remote target set, a complete archive is then sent there with rclone copyto and
counts only once its size (and checksum, where the target offers one) is confirmed
there.

Exit status:
  0  the backup is complete and every file and folder on the list was archived
  1  the archive was created, but some files or folders were unavailable or the
     backup was stopped
  2  the backup was refused or forced to stop, or the archive could not be written
  3  the archive is damaged (the check after the backup, --verify or --copy)
  4  the archive&apos;s copy at the remote target was not sent or confirmed (the local
     archive stays as it is); --copy without a target or an archive ends with 2

When restoring: 0 everything was restored, 1 some files were skipped or not restored,
2 the restore was refused.
</translation>
    </message>
    <message>
        <source>see-help</source>
        <translation>For help, run: arkivoda-cli --help</translation>
    </message>
    <message>
        <source>unknown-option</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>manual-without-file</source>
        <translation>The --manual option needs the name of an archive file.</translation>
    </message>
    <message>
        <source>surplus-argument</source>
        <translation>Unexpected argument: %1</translation>
    </message>
    <message>
        <source>overwrite-without-manual</source>
        <translation>The --overwrite option only works together with --manual.</translation>
    </message>
    <message>
        <source>list-unreadable</source>
        <translation>The backup list cannot be read: %1</translation>
    </message>
    <message>
        <source>target-is-folder</source>
        <translation>%1 is a folder, not an archive file.</translation>
    </message>
    <message>
        <source>use-overwrite</source>
        <translation>To back up over the existing file, use --overwrite.</translation>
    </message>
    <message>
        <source>cannot-delete</source>
        <translation type="vanished">The existing file %1 cannot be deleted; the backup was refused.</translation>
    </message>
    <message>
        <source>failed-not-writable</source>
        <translation>The backup failed: the archive %1 could not be written (%2).</translation>
    </message>
    <message>
        <source>killed-incomplete</source>
        <translation>The backup was forced to stop: the archive %1 is incomplete and invalid.</translation>
    </message>
    <message>
        <source>killed-before-archive</source>
        <translation>The backup was forced to stop before the archive %1 was created.</translation>
    </message>
    <message>
        <source>failed-not-created</source>
        <translation>The backup failed: the archive %1 was not created.</translation>
    </message>
    <message>
        <source>progress-total</source>
        <translation>%1 | total %2% | %3</translation>
    </message>
    <message>
        <source>progress-file</source>
        <translation>%1 %2% | total %3% | %4 | </translation>
    </message>
    <message>
        <source>target-not-file</source>
        <translation>%1 is not an ordinary file (a device, pipe or socket); the backup is refused.</translation>
    </message>
    <message>
        <source>part-left</source>
        <translation>The incomplete archive was left in the file %1.</translation>
    </message>
    <message>
        <source>verify-without-file</source>
        <translation>The option --verify lacks the name of the archive file.</translation>
    </message>
    <message numerus="yes">
        <source>verify-sound</source>
        <translation>
            <numerusform>The archive %1 is sound: %2 entry was checked.</numerusform>
            <numerusform>The archive %1 is sound: %2 entries were checked.</numerusform>
        </translation>
    </message>
    <message>
        <source>verify-fault</source>
        <translation>The archive %1 is damaged: %2</translation>
    </message>
    <message numerus="yes">
        <source>verify-unchecked</source>
        <translation>
            <numerusform>The archive %1 was not checked in full: %2 entry checked without fault, %3 cannot be checked: %4</numerusform>
            <numerusform>The archive %1 was not checked in full: %2 entries checked without fault, %3 cannot be checked: %4</numerusform>
        </translation>
    </message>
    <message>
        <source>missing-value</source>
        <translation>The option %1 needs a value.</translation>
    </message>
    <message>
        <source>restore-without-to</source>
        <translation>With --restore, name the folder to restore into: --to FOLDER.</translation>
    </message>
    <message>
        <source>restore-only-option</source>
        <translation>The options --to, --replace and --skip apply only with --restore.</translation>
    </message>
    <message>
        <source>conflicting-options</source>
        <translation>The options --manual, --verify, --list and --restore cannot be combined, nor can --replace and --skip.</translation>
    </message>
    <message>
        <source>archive-unreadable</source>
        <translation>The archive %1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>no-entry-matches</source>
        <translation>No entry of the archive matches the given patterns.</translation>
    </message>
    <message>
        <source>files-exist</source>
        <translation>The restore was refused: these files already exist:</translation>
    </message>
    <message>
        <source>use-replace-or-skip</source>
        <translation>Use --replace to replace them or --skip to keep them.</translation>
    </message>
    <message>
        <source>restore-progress</source>
        <translation>restored %1% | %2</translation>
    </message>
    <message>
        <source>restore-failed</source>
        <translation>not restored: %1: %2</translation>
    </message>
    <message>
        <source>restore-skipped</source>
        <translation>skipped (already exists): %1</translation>
    </message>
    <message>
        <source>restore-stopped</source>
        <translation>The restore was stopped.</translation>
    </message>
    <message>
        <source>restore-leftovers</source>
        <translation>Temporary files of an interrupted restore were left in the destination (not deleted):</translation>
    </message>
    <message>
        <source>restore-summary</source>
        <translation>Files restored: %1, skipped: %2, not restored: %3</translation>
    </message>
    <message>
        <source>desktop-help</source>
        <translation>Usage: arkivoda [list]

Arkivoda backs up all files and folders on the backup list into one new ZIP archive,
at a click or once a day, and shows the progress in its window and in the notification area.
Only one program runs on a configuration: starting it again brings the window that is
already running to the front.

  list                  name of a separate configuration: the files
                        list_Arkivoda.ini and list_Arkivoda_bcklst.txt are used
  -h, --help            this text
  --version             the program&apos;s version

Settings and the list are kept in the folder $XDG_CONFIG_HOME/Arkivoda/ (usually ~/.config/Arkivoda/).
Backing up without a window: arkivoda-cli --help
</translation>
    </message>
    <message>
        <source>copy-no-target</source>
        <translation>No remote target for copies is set (Cilj in section Udaljeno of the file %1).</translation>
    </message>
    <message>
        <source>copy-not-file</source>
        <translation>%1 is not an archive file; no copy was sent.</translation>
    </message>
    <message>
        <source>copy-not-sound</source>
        <translation>The archive %1 is damaged (%2); no copy was sent.</translation>
    </message>
    <message>
        <source>target-folder-not-writable</source>
        <translation>The archive %1 cannot be saved in the folder %2 (%3); the backup is refused.</translation>
    </message>
    <message>
        <source>target-not-replaceable</source>
        <translation>The file %1 cannot be replaced: it belongs to another user, and in the folder %2 only their owners may replace files; the backup is refused.</translation>
    </message>
    <message>
        <source>part-exists</source>
        <translation>The file %1 already exists, and the archive is written under that name until it is complete; move or delete it and try again. The backup is refused.</translation>
    </message>
    <message>
        <source>part-left-complete</source>
        <translation>The archive is complete but could not be given the name %1: all of it is in the file %2.</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>informacije o programu i povijest razvoja</source>
        <translation>program information and version history</translation>
    </message>
    <message>
        <source>Izrađeno pomoću:</source>
        <translation>Built with:</translation>
    </message>
    <message>
        <source>Qt i zlib</source>
        <translation>Qt and zlib</translation>
    </message>
    <message>
        <source>Autori ikona:</source>
        <translation>Icons by:</translation>
    </message>
    <message>
        <source>Tim Arkivode</source>
        <translation>The Arkivoda team</translation>
    </message>
    <message>
        <source>Službena web stranica:</source>
        <translation>Official website:</translation>
    </message>
    <message>
        <source>Arkivoda je program za automatizaciju pohrane datoteka u zip arhive s naglaskom na jednostavnost korištenja, podršku za arhiviranje datoteka u korištenju i podršku zip arhivama većim od 4GB.</source>
        <translation>Arkivoda automates backing up files into ZIP archives, with an emphasis on ease of use, support for backing up files that are in use, and support for ZIP archives larger than 4GB.</translation>
    </message>
    <message>
        <source>Program možete pokretati s parametrom [lista] (bez uglatih zagrada) gdje lista predstavlja proizvoljni naziv liste datoteka i mapa za arhiviranje čime je omogućeno arhiviranje proizvoljnog broja zasebnih lista datoteka i mapa.</source>
        <translation>You can start the program with the parameter [list] (without the square brackets), where list is any name you give a list of files and folders to back up. This lets you keep any number of separate lists of files and folders to back up.</translation>
    </message>
    <message>
        <source>&amp;Potraži novu verziju</source>
        <translation>Check for &amp;updates</translation>
    </message>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>TForm_FilesMissing</name>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>TGasenjeBox</name>
    <message>
        <source>&amp;Prekini</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>TGlavni</name>
    <message>
        <source>&amp;Automatsko arhiviranje</source>
        <translation>&amp;Automatic backup</translation>
    </message>
    <message>
        <source>arhiviranje datoteka u predefiniranu mapu</source>
        <translation>back up the files into the preset folder</translation>
    </message>
    <message>
        <source>&amp;Ručno arhiviranje</source>
        <translation>&amp;Manual backup</translation>
    </message>
    <message>
        <source>arhiviranje datoteka u proizvoljnu arhivu</source>
        <translation>back up the files into an archive of your choice</translation>
    </message>
    <message>
        <source>Predefinirana arhivska mapa:</source>
        <translation>Preset archive folder:</translation>
    </message>
    <message>
        <source>Status:</source>
        <translation>Status:</translation>
    </message>
    <message>
        <source>Datoteka:</source>
        <translation>File:</translation>
    </message>
    <message>
        <source>Pauziraj arhiviranje</source>
        <translation>Pause backup</translation>
    </message>
    <message>
        <source>Ukupno:</source>
        <translation>Total:</translation>
    </message>
    <message>
        <source>Prekini arhiviranje</source>
        <translation>Stop backup</translation>
    </message>
    <message>
        <source>Nasilno prekini arhiviranje</source>
        <translation>Force stop</translation>
    </message>
    <message>
        <source>Zatvori program po završetku</source>
        <translation>Close the program when done</translation>
    </message>
    <message>
        <source>Ugasi računalo po završetku</source>
        <translation>Shut down when done</translation>
    </message>
    <message>
        <source>Odjavi korisnika po završetku</source>
        <translation>Log off when done</translation>
    </message>
    <message>
        <source>Arhivska datoteka zadnjeg izvršenog arhiviranja u predefiniranu mapu:</source>
        <translation>Archive of the last backup into the preset folder:</translation>
    </message>
    <message>
        <source>Arhivska datoteka zadnjeg izvršenog arhiviranja u proizvoljnu datoteku:</source>
        <translation>Archive of the last backup into a file of your choice:</translation>
    </message>
    <message>
        <source>&amp;Izlaz</source>
        <translation type="vanished">E&amp;xit</translation>
    </message>
    <message>
        <source>zatvaranje programa</source>
        <translation>close the program</translation>
    </message>
    <message>
        <source>&amp;Program</source>
        <translation>&amp;Program</translation>
    </message>
    <message>
        <source>&amp;Jezik</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Informacije</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Postavke programa</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>I&amp;zlaz</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>&amp;Engleski</source>
        <translation>&amp;English</translation>
    </message>
    <message>
        <source>&amp;Hrvatski</source>
        <translation>&amp;Croatian</translation>
    </message>
    <message>
        <source>&amp;O programu</source>
        <translation>&amp;About Arkivoda</translation>
    </message>
    <message>
        <source>Otvori &amp;program</source>
        <translation>&amp;Open Arkivoda</translation>
    </message>
    <message>
        <source>Navedite naziv arhivske datoteke...</source>
        <translation>Enter a name for the archive file...</translation>
    </message>
    <message>
        <source>ZIP arhiva (*.zip)</source>
        <translation>ZIP archive (*.zip)</translation>
    </message>
    <message>
        <source>Postojeću datoteku %1 nije moguće izbrisati; arhiviranje je odbijeno.</source>
        <translation type="vanished">The existing file %1 cannot be deleted; the backup was refused.</translation>
    </message>
    <message>
        <source>&amp;Vraćanje datoteka…</source>
        <translation>&amp;Restore files…</translation>
    </message>
</context>
<context>
    <name>TOdabirBaze</name>
    <message>
        <source>Lista datoteka i mapa za arhiviranje:</source>
        <translation>Files and folders to back up:</translation>
    </message>
    <message>
        <source>Dodavanje datoteka na listu</source>
        <translation>Add files to the list</translation>
    </message>
    <message>
        <source>+</source>
        <translation>+</translation>
    </message>
    <message>
        <source>Datoteke</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>Dodavanje mapa na listu</source>
        <translation>Add folders to the list</translation>
    </message>
    <message>
        <source>Mape</source>
        <translation>Folders</translation>
    </message>
    <message>
        <source>Brisanje označene datoteke ili mape s liste</source>
        <translation>Remove the selected file or folder from the list</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Uklanjanje</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>Mapa datoteka lista</source>
        <translation>Show list file</translation>
    </message>
    <message>
        <source>Putanja na koju će se izvoditi automatsko arhiviranje:</source>
        <translation>Folder for automatic backups:</translation>
    </message>
    <message>
        <source>Odabir mape arhiva...</source>
        <translation>Choose archive folder...</translation>
    </message>
    <message>
        <source>Prefiks naziva arhiva (datum i vrijeme će također biti dodano):</source>
        <translation>Archive name prefix (the date and time are added to it):</translation>
    </message>
    <message>
        <source>Upozorenje: u nazivu prefiksa nemojte koristiti sljedeće znakove: . (točka) &quot; (navodnici) \ (kosa crta lijevo) / (kosa crta desno)</source>
        <translation>Warning: do not use these characters in the prefix: . (full stop) &quot; (double quote) \ (backslash) / (forward slash)</translation>
    </message>
    <message>
        <source>Prikazuj program samo kao ikonu u sistemskoj traci</source>
        <translation>Show the program only as an icon in the system tray</translation>
    </message>
    <message>
        <source>Minimiziraj program umjesto gašenja</source>
        <translation>Minimise the program instead of closing it</translation>
    </message>
    <message>
        <source>Minimiziraj program prilikom pokretanja</source>
        <translation>Start the program minimised</translation>
    </message>
    <message>
        <source>Prikaži rezime po završetku arhiviranja</source>
        <translation>Show a summary when a backup finishes</translation>
    </message>
    <message>
        <source>Provjeri arhivu nakon arhiviranja</source>
        <translation>Verify the archive after the backup</translation>
    </message>
    <message>
        <source>Broj arhiva koje se čuvaju:</source>
        <translation>Archives to keep:</translation>
    </message>
    <message>
        <source>Nakon automatskog arhiviranja koje je završeno i provjereno brišu se najstarije arhive ove liste u mapi arhiva dok ih ne ostane ovoliko; 0 čuva sve arhive</source>
        <translation>After an automatic backup that finished and was verified, the oldest archives of this list in the archive folder are deleted until this many remain; 0 keeps every archive</translation>
    </message>
    <message>
        <source>sve</source>
        <translation>all</translation>
    </message>
    <message>
        <source>Izuzeci:</source>
        <translation>Exclusions:</translation>
    </message>
    <message>
        <source>Uzorci odvojeni s ; koji se ne arhiviraju, npr. *.tmp;node_modules/;.cache/ (uzorak sa / na kraju odnosi se na mape, ostali na nazive datoteka)</source>
        <translation>Patterns separated by ; that are not backed up, e.g. *.tmp;node_modules/;.cache/ (a pattern ending in / matches folders, the others file names)</translation>
    </message>
    <message>
        <source>Nakon arhiviranja arhiva se ponovno čita s diska i provjerava se svaka datoteka u njoj</source>
        <translation>After the backup the archive is read back from the disk and every file in it is checked</translation>
    </message>
    <message>
        <source>Vrijeme automatskog arhiviranja:</source>
        <translation>Time of the daily automatic backup:</translation>
    </message>
    <message>
        <source>&amp;Spremanje postavki i nastavak rada</source>
        <translation>&amp;Save settings and continue</translation>
    </message>
    <message>
        <source>Zatvaranje prog&amp;rama</source>
        <translation>E&amp;xit program</translation>
    </message>
    <message>
        <source>&amp;Nastavak rada bez spremanja postavki</source>
        <translation>&amp;Continue without saving settings</translation>
    </message>
    <message>
        <source>Dodaj &amp;datoteke</source>
        <translation>Add &amp;files</translation>
    </message>
    <message>
        <source>Dodaj &amp;mape</source>
        <translation>Add fol&amp;ders</translation>
    </message>
    <message>
        <source>&amp;Uklanjanje označenog zapisa s liste</source>
        <translation>&amp;Remove the selected entry from the list</translation>
    </message>
    <message>
        <source>&amp;Otvori mapu u kojoj se nalazi datoteka</source>
        <translation>&amp;Open the folder that contains it</translation>
    </message>
    <message>
        <source>Dodavanje datoteka za arhiviranje (moguć odabir više datoteka odjednom)</source>
        <translation>Add files to back up (several files can be selected at once)</translation>
    </message>
    <message>
        <source>Sve vrste datoteka (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Nadoknadi propušteno dnevno arhiviranje</source>
        <translation>Catch up on a missed daily backup</translation>
    </message>
    <message>
        <source>Pokreni program pri prijavi</source>
        <translation>Start the program at login</translation>
    </message>
    <message>
        <source>Pomakni označeni zapis gore</source>
        <translation>Move the selected entry up</translation>
    </message>
    <message>
        <source>Pomakni označeni zapis dolje</source>
        <translation>Move the selected entry down</translation>
    </message>
    <message>
        <source>Udaljena kopija</source>
        <translation>Remote copy</translation>
    </message>
    <message>
        <source>Cilj kopije (udaljeno mjesto i mapa, npr. nas:backup/arkivoda):</source>
        <translation>Target of the copy (remote and folder, e.g. nas:backup/arkivoda):</translation>
    </message>
    <message>
        <source>Prazno: kopija se ne šalje.</source>
        <translation>Empty: no copy is sent.</translation>
    </message>
    <message>
        <source>Pro&amp;vjeri vezu</source>
        <translation>C&amp;heck connection</translation>
    </message>
    <message>
        <source>Zadrži na cilju (0 = sve):</source>
        <translation>Keep at the target (0 = all):</translation>
    </message>
    <message>
        <source>Udaljena mjesta postavljaju se naredbom rclone config; lozinke čuva rclone, a ne Arkivoda.</source>
        <translation>Remotes are set up with the command rclone config; rclone keeps the passwords, not Arkivoda.</translation>
    </message>
</context>
<context>
    <name>TVracanjeDatoteka</name>
    <message>
        <source>Vraćanje datoteka</source>
        <translation>Restore files</translation>
    </message>
    <message>
        <source>Arhive:</source>
        <translation>Archives:</translation>
    </message>
    <message>
        <source>Arhiva</source>
        <translation>Archive</translation>
    </message>
    <message>
        <source>Datum</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Veličina</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>Stavki</source>
        <translation>Entries</translation>
    </message>
    <message>
        <source>&amp;Otvori arhivu…</source>
        <translation>&amp;Open archive…</translation>
    </message>
    <message>
        <source>traži</source>
        <translation>search</translation>
    </message>
    <message>
        <source>&amp;Vrati odabrano…</source>
        <translation>&amp;Restore selected…</translation>
    </message>
    <message>
        <source>Vrati na &amp;izvorno mjesto</source>
        <translation>Restore to &amp;original location</translation>
    </message>
    <message>
        <source>&amp;Zatvori</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>Za&amp;ustavi vraćanje</source>
        <translation>&amp;Stop restoring</translation>
    </message>
    <message>
        <source>Naziv</source>
        <translation>Name</translation>
    </message>
</context>
</TS>
