<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <message id="Невозможно запустить бутстрэп. Дожны быть загружены обучающая позитивная, обучающая негативная и контрольная негативная выборки.">
        <source></source>
        <translation>The bootstrap cannot be started. The learning positive, learning negative and control negative samples must be loaded.</translation>
    </message>
    <message id="Идет процесс классификации ...">
        <source></source>
        <translation>Classification in progress ...</translation>
    </message>
    <message id="Ошибка в программе. Обратитесь к разработчику.">
        <source></source>
        <translation>Program error. Please contact the developer.</translation>
    </message>
    <message id="Ошибка">
        <source></source>
        <translation>Error</translation>
    </message>
    <message id="Невозможно запустить процесс идеализации. Нет исходных последовательностей">
        <source></source>
        <translation>The idealization cannot be started. There are no source sequences</translation>
    </message>
    <message id="Подсказка">
        <source></source>
        <translation>Advice</translation>
    </message>
    <message id="Невозможно запустить процесс идеализации. Нет закономерностей">
        <source></source>
        <translation>The idealization cannot be started. There are no regularities</translation>
    </message>
    <message id="Ошибка запуска процесса в параллель.">
        <source></source>
        <translation>The process could not be started in parallel.</translation>
    </message>
    <message id="Идет процесс идеализации ...">
        <source></source>
        <translation>Idealization in progress ...</translation>
    </message>
    <message id="Невозможно запустить процесс классификации. Нет последовательностей">
        <source></source>
        <translation>The classification cannot be started. There are no sequences</translation>
    </message>
    <message id="Невозможно запустить процесс классификации. Нет идеальных объектов">
        <source></source>
        <translation>The classification cannot be started. There are no ideal objects</translation>
    </message>
    <message id="Задано неверное значение порога условной вероятности найденных закономерностей.">
        <source></source>
        <translation>The threshold of conditional probability of the regularities is invalid.</translation>
    </message>
    <message id="Вычисление ошибок распознавания ...">
        <source></source>
        <translation>Counting recognition errors ...</translation>
    </message>
    <message id="После загрузки новых исходных последовательностей, текущие данные будут потеряны. Хотите сохранить проект?">
        <source></source>
        <translation>Loading new source sequences will discard the current data. Do you want to save the project?</translation>
    </message>
    <message id="Загрузка нуклеотидных последовательностей удачно завершена.">
        <source></source>
        <translation>The nucleotide sequences were loaded successfully.</translation>
    </message>
    <message id="Сообщение">
        <source></source>
        <translation>Message</translation>
    </message>
    <message id="Ошибка чтения из файла: ">
        <source></source>
        <translation>Error reading from file: </translation>
    </message>
    <message id="Загрузка контрольных последовательностей удачно завершена.">
        <source></source>
        <translation>The control sequences were loaded successfully.</translation>
    </message>
    <message id="Не совпадает длина последовательностей или алфавит">
        <source></source>
        <translation>The sequence length or the alphabet does not match</translation>
    </message>
    <message id="Сохранить текущий проект?">
        <source></source>
        <translation>Save the current project?</translation>
    </message>
    <message id="Ошибка записи в файл:">
        <source></source>
        <translation>Error writing to file:</translation>
    </message>
    <message id="Сохранение проекта">
        <source></source>
        <translation>Saving the project</translation>
    </message>
    <message id="Идет процесс поиска закономерностей ...">
        <source></source>
        <translation>Searching for regularities ...</translation>
    </message>
    <message id="Процесс поиска закономерностей приостановлен.">
        <source></source>
        <translation>The search for regularities is paused.</translation>
    </message>
    <message id="Для поиска закономерностей необходимо закгрузать хотя бы одну последовательность.">
        <source></source>
        <translation>Load at least one sequence to search for regularities.</translation>
    </message>
    <message id="Задано неверное значение доверительного интервала критерия Фишера.">
        <source></source>
        <translation>The confidence interval of the Fisher test is invalid.</translation>
    </message>
    <message id="Неверно задано значение доверительного интервала критерия Фишера, это значение должно быть вещественным и лежать в пределах от 0 до 1. Рекомендуемые значения 0,05  и 0,001">
        <source></source>
        <translation>The confidence interval of the Fisher test is invalid: it must be a real number between 0 and 1. Recommended values are 0,05  and 0,001</translation>
    </message>
    <message id="Неверно задано значение порога условной вероятности найденных закономерностей. Это значение должно быть вещественным и лежать в пределах от 0 до 1.">
        <source></source>
        <translation>The threshold of conditional probability of the regularities is invalid. It must be a real number between 0 and 1.</translation>
    </message>
    <message id="Задано неверное значение размера конечного буфера.">
        <source></source>
        <translation>The size of the finish buffer is invalid.</translation>
    </message>
    <message id="Неверно задан размер конеченого буфера. Это значение должено быть целым и быть больше единицы.">
        <source></source>
        <translation>The size of the finish buffer is invalid. It must be an integer greater than one.</translation>
    </message>
    <message id="Задано неверное значение размера промежуточных буферов.">
        <source></source>
        <translation>The size of the sub buffers is invalid.</translation>
    </message>
    <message id="Неверно задан размер промежуточных буферов. Это значение должено быть целым и быть больше нуля.">
        <source></source>
        <translation>The size of the sub buffers is invalid. It must be an integer greater than zero.</translation>
    </message>
    <message id="Задано неверное значение ширины рамки сканирования.">
        <source></source>
        <translation>The width of the scanning frame is invalid.</translation>
    </message>
    <message id="Неверно задано значение ширины рамки сканирования. Это значение должно быть целым и быть больше двух.">
        <source></source>
        <translation>The width of the scanning frame is invalid. It must be an integer greater than two.</translation>
    </message>
    <message id="Невозможно запустить процесс поиска закономернстей.">
        <source></source>
        <translation>The search for regularities cannot be started.</translation>
    </message>
    <message id="Процесс поиска закономерностей успешно завершен.">
        <source></source>
        <translation>The search for regularities completed successfully.</translation>
    </message>
    <message id="Процесс идеализации успешно завершен.">
        <source></source>
        <translation>The idealization completed successfully.</translation>
    </message>
    <message id="Процесс классификации контрольной выборки успешно завершен.">
        <source></source>
        <translation>The classification of the control sample completed successfully.</translation>
    </message>
    <message id="Ошибка чтения из первичного массива последовательностей">
        <source></source>
        <translation>Error reading from the primary array of sequences</translation>
    </message>
    <message id="Пуск">
        <source></source>
        <translation>Start</translation>
    </message>
    <message id="Стоп">
        <source></source>
        <translation>Stop</translation>
    </message>
    <message id="Пауза">
        <source></source>
        <translation>Pause</translation>
    </message>
    <message id="Недостаточно памяти для этого процесса; процесс прерван.">
        <source></source>
        <translation>Not enough memory for this process; the process was stopped.</translation>
    </message>
    <message id="Процесс прерван из-за ошибки: ">
        <source></source>
        <translation>The process was stopped by an error: </translation>
    </message>
    <message id="Идет процесс распознавания ...">
        <source></source>
        <translation>Recognition in progress ...</translation>
    </message>
    <message id="Записей обрезано до первых 1023 букв: ">
        <source></source>
        <translation>Records cut to their first 1023 letters: </translation>
    </message>
    <message id="Самая длинная из них в файле, букв: ">
        <source></source>
        <translation>Letters of the longest of them in the file: </translation>
    </message>
    <message id="Последовательностей короче самой длинной: ">
        <source></source>
        <translation>Sequences shorter than the longest: </translation>
    </message>
    <message id="Длины в выборке, букв: ">
        <source></source>
        <translation>Lengths in the sample, letters: </translation>
    </message>
    <message id="В фиксированных позициях объекты берут ширину самой длинной последовательности; позиции за концом более коротких остаются пустыми, и ни одна закономерность их не покрывает.">
        <source></source>
        <translation>In fixed positions the objects take the width of the longest sequence; the positions past the end of the shorter ones stay empty, and no regularity covers them.</translation>
    </message>
    <message id="Отрицательных последовательностей короче положительных: ">
        <source></source>
        <translation>Negative sequences shorter than the positive ones: </translation>
    </message>
    <message id="Ширина положительных объектов, позиций: ">
        <source></source>
        <translation>Width of the positive objects, positions: </translation>
    </message>
    <message id="Позиции за концом более коротких последовательностей остаются пустыми: в поиске закономерностей они не совпадают ни с одной буквой.">
        <source></source>
        <translation>The positions past the end of the shorter sequences stay empty: in the search for regularities they match no letter.</translation>
    </message>
    <message id="Контрольных последовательностей класса New (без оценки, не учтены ни в одном классе): ">
        <source></source>
        <translation>Control sequences of class New (no score, counted under no class): </translation>
    </message>
    <message id="Перекрёстная проверка оценивает все последовательности.">
        <source></source>
        <translation>The cross-validation scores them all.</translation>
    </message>
    <message id="Поиск закономерностей остановлен закрытием окна. Найденные закономерности сохраняются, их число: ">
        <source></source>
        <translation>The search for regularities was stopped by closing the window. The regularities found are kept; their number: </translation>
    </message>
    <message id="Идеализация остановлена закрытием окна. Построенные классы сохраняются, их число: ">
        <source></source>
        <translation>The idealization was stopped by closing the window. The classes built are kept; their number: </translation>
    </message>
    <message id="Формат FASTA читает записи целиком: сохраните выборку в FASTA, чтобы сохранить записи полностью.">
        <source></source>
        <translation>FASTA reads whole records: save the sample as FASTA to keep the records complete.</translation>
    </message>
    <message id="Positve Control Sequencies">
        <source></source>
        <translation>Positive Control Sequences</translation>
    </message>
    <message id="Positive Sequencies">
        <source></source>
        <translation>Positive Sequences</translation>
    </message>
    <message id="Negative Sequencies">
        <source></source>
        <translation>Negative Sequences</translation>
    </message>
    <message id="Negative Control Sequencies">
        <source></source>
        <translation>Negative Control Sequences</translation>
    </message>
    <message id="Add Positive Sequencies">
        <source></source>
        <translation>Add Positive Sequences</translation>
    </message>
    <message id="Add Negative Sequencies">
        <source></source>
        <translation>Add Negative Sequences</translation>
    </message>
    <message id="Positive Control Sequencies">
        <source></source>
        <translation>Positive Control Sequences</translation>
    </message>
    <message id="Bootstreap Control">
        <source></source>
        <translation>Bootstrap Control</translation>
    </message>
    <message id="Percantage of Positive Samplings">
        <source></source>
        <translation>Percentage of Positive Samplings</translation>
    </message>
    <message id="Saving Relsults As Text">
        <source></source>
        <translation>Saving Results As Text</translation>
    </message>
    <message id="Saving Relsults of Erro Count As HTML">
        <source></source>
        <translation>Saving Results of Error Count As HTML</translation>
    </message>
    <message id="DNA Project (*.txt)|*.txt">
        <source></source>
        <translation>Text export (*.txt)|*.txt</translation>
    </message>
    <message id="DNA Project (*.html)|*.html">
        <source></source>
        <translation>HTML report (*.html)|*.html</translation>
    </message>
    <message id="AboutFrm">
        <source></source>
        <translation>About Motifora</translation>
    </message>
</context>
<context>
    <name>motifora::GenomeScanWindow</name>
    <message>
        <source>Browse...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>Genome</source>
        <translation>Genome</translation>
    </message>
    <message>
        <source>FASTA (*.fa *.fasta *.fna *.fas *.fa.gz *.fasta.gz *.fna.gz *.fas.gz);;All (*)</source>
        <translation>FASTA (*.fa *.fasta *.fna *.fas *.fa.gz *.fasta.gz *.fna.gz *.fas.gz);;All (*)</translation>
    </message>
    <message>
        <source>Genome (FASTA)</source>
        <translation>Genome (FASTA)</translation>
    </message>
    <message>
        <source>Classes (e.g. 1,3-5; empty: all)</source>
        <translation>Classes (e.g. 1,3-5; empty: all)</translation>
    </message>
    <message>
        <source>Level (hits reach it; empty: none)</source>
        <translation>Level (hits reach it; empty: none)</translation>
    </message>
    <message>
        <source>Whole Record</source>
        <translation>Whole Record</translation>
    </message>
    <message>
        <source>Export BED</source>
        <translation>Export BED</translation>
    </message>
    <message>
        <source>BED (*.bed)</source>
        <translation>BED (*.bed)</translation>
    </message>
    <message>
        <source>Export bedGraph</source>
        <translation>Export bedGraph</translation>
    </message>
    <message>
        <source>bedGraph (*.bedGraph *.bedgraph)</source>
        <translation>bedGraph (*.bedGraph *.bedgraph)</translation>
    </message>
</context>
<context>
    <name>motifora::MainWindow</name>
    <message>
        <source>Scan Genome (FASTA)...</source>
        <translation>Scan Genome (FASTA)...</translation>
    </message>
</context>
</TS>
