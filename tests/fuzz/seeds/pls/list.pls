[playlist]
NumberOfEntries=3
File1=http://radio/one
Title1=One
File3=/three.mp3
Length3=-1
Version=2
