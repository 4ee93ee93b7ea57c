[playlist]
NumberOfEntries=2000000000
File1=a
File2=b
